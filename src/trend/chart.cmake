# chart engine sources
