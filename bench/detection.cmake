# The detector's process scan and component enumeration beside the bare
# platform calls they make.
add_executable(detection_bench
  DetectionBench.cpp
  ${CMAKE_SOURCE_DIR}/tests/shared/ClientDoubles.cpp
)
target_link_libraries(detection_bench PRIVATE farlink_detection_testing farlink_system_seams psapi shell32 shlwapi
  farlink_options)
add_dependencies(detection_bench client_double plugin_double)
