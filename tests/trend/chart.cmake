# chart tests: the engine without widgets in core_tests, the canvas and
# the control binding in ui_tests.
target_sources(core_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartFixture.h ${CMAKE_CURRENT_LIST_DIR}/FakeChartBinding.h
  ${CMAKE_CURRENT_LIST_DIR}/TrendWindow_test.cpp)
target_sources(core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ChartDrawing_test.cpp)
target_sources(core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ChartEngine_test.cpp)
target_sources(ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ChartFixture.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartCanvas_test.cpp)
# the history window and the curve selection dialog, with the overview
target_sources(ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/HistoryFixture.h
  ${CMAKE_CURRENT_LIST_DIR}/lsqx_test.cpp ${CMAKE_CURRENT_LIST_DIR}/frmLogin_test.cpp)
