# chart tests with widgets: the canvas and the control binding, the history
# window and the curve selection dialog, with the overview.
target_sources(ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ChartFixture.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartCanvas_test.cpp)
target_sources(ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/HistoryFixture.h
  ${CMAKE_CURRENT_LIST_DIR}/lsqx_test.cpp ${CMAKE_CURRENT_LIST_DIR}/frmLogin_test.cpp)
