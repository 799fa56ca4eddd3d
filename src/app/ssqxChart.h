#pragma once
// The real-time chart of the overview: binds a chart engine over the short
// ring to the overview's chart controls through the window's chart hooks.

namespace chart {

// Sets the overview's chart hooks; called once at start-up, before the
// overview first loads.
void InstallOverviewChart();

} // namespace chart
