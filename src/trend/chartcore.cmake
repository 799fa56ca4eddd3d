# The chart engine's parts that need no widgets: state and data window,
# drawing to primitives, paging, keys, Y range, and the engine itself.
target_sources(zc4160_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartState.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartProfile.h ${CMAKE_CURRENT_LIST_DIR}/ChartProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartText.h ${CMAKE_CURRENT_LIST_DIR}/ChartText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrendWindow.h ${CMAKE_CURRENT_LIST_DIR}/TrendWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartDrawing.h ${CMAKE_CURRENT_LIST_DIR}/ChartDrawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartPaging.h ${CMAKE_CURRENT_LIST_DIR}/ChartPaging.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartKeys.h ${CMAKE_CURRENT_LIST_DIR}/ChartKeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YRange.h ${CMAKE_CURRENT_LIST_DIR}/YRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartBinding.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartEngine.h ${CMAKE_CURRENT_LIST_DIR}/ChartEngine.cpp)
