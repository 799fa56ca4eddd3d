# chart tests
