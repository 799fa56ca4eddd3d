target_sources(core_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mscom_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mscom_crash_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mscom_lock_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mscom_path_test.cpp)

# The crash test runs the recorder in this child and kills it.
add_executable(recorder_crash_child ${CMAKE_CURRENT_LIST_DIR}/recorder_crash_child.cpp)
target_link_libraries(recorder_crash_child PRIVATE zc4160_core)
# The read-only test runs the recorder in this child as a user who cannot
# write the file.
add_executable(recorder_user_child ${CMAKE_CURRENT_LIST_DIR}/recorder_user_child.cpp)
target_link_libraries(recorder_user_child PRIVATE zc4160_core)
add_dependencies(core_tests recorder_crash_child recorder_user_child)
target_compile_definitions(core_tests PRIVATE
  RECORDER_CRASH_CHILD="$<TARGET_FILE:recorder_crash_child>"
  RECORDER_USER_CHILD="$<TARGET_FILE:recorder_user_child>")
