# chart engine sources: the widget side (canvas, control binding) goes into
# the window library, the rest into the core.
include(${CMAKE_CURRENT_LIST_DIR}/chartcore.cmake)
target_sources(zc4160_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartCanvas.h ${CMAKE_CURRENT_LIST_DIR}/ChartCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartWidgetBinding.h ${CMAKE_CURRENT_LIST_DIR}/ChartWidgetBinding.cpp)
# the overview's real-time chart
target_sources(zc4160_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ssqxChart.h ${CMAKE_CURRENT_LIST_DIR}/ssqxChart.cpp)
# the history window and the curve selection dialog
target_sources(zc4160_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/lsqx.h ${CMAKE_CURRENT_LIST_DIR}/lsqx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmLogin.h ${CMAKE_CURRENT_LIST_DIR}/frmLogin.cpp)
