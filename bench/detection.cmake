# The detector's process scan and component enumeration beside the bare
# platform calls they make.
add_executable(detection_bench DetectionBench.cpp)
target_link_libraries(detection_bench PRIVATE farlink_testing farlink_test_seams psapi shell32 shlwapi
  farlink_options)
add_dependencies(detection_bench client_double plugin_double)
