# Component model, detector, process scan, components and installation support.
add_library(farlink_detection INTERFACE)
target_link_libraries(farlink_detection INTERFACE farlink_session)
