target_sources(zc4160_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mscom.cpp ${CMAKE_CURRENT_LIST_DIR}/mscom.h
  ${CMAKE_CURRENT_LIST_DIR}/RecorderShared.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartShared.h)
