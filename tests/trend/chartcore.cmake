# chart engine tests without widgets: the data window, the drawing and the
# engine, in core_tests (so also under the sanitizers).
target_sources(core_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartFixture.h ${CMAKE_CURRENT_LIST_DIR}/FakeChartBinding.h
  ${CMAKE_CURRENT_LIST_DIR}/TrendWindow_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartDrawing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartEngine_test.cpp)
