# chart engine sources of the widget side: the canvas and the control
# binding.
target_sources(zc4160_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartCanvas.h ${CMAKE_CURRENT_LIST_DIR}/ChartCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartWidgetBinding.h ${CMAKE_CURRENT_LIST_DIR}/ChartWidgetBinding.cpp)
# the history window and the curve selection dialog
target_sources(zc4160_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/lsqx.h ${CMAKE_CURRENT_LIST_DIR}/lsqx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmLogin.h ${CMAKE_CURRENT_LIST_DIR}/frmLogin.cpp)
