# Client-program and plug-in doubles for the process scan tests and benchmark.
# The tests copy them under client and plug-in file names.
add_executable(client_double ${CMAKE_CURRENT_LIST_DIR}/ClientDouble.cpp)
target_link_libraries(client_double PRIVATE farlink_options)
target_link_options(client_double PRIVATE -municode)

add_library(plugin_double SHARED ${CMAKE_CURRENT_LIST_DIR}/PluginDouble.cpp)
target_link_libraries(plugin_double PRIVATE farlink_options)
set_target_properties(plugin_double PROPERTIES PREFIX "")
