# Activation latency of FarlinkUI beside a bare local server.
add_executable(activation_bare_server WIN32 activation/BareServer.cpp)
target_link_libraries(activation_bare_server PRIVATE farlink_idl farlink_win farlink_options ole32 oleaut32 uuid)
target_link_options(activation_bare_server PRIVATE -municode)

add_executable(activation_bench activation/ActivationBench.cpp)
target_link_libraries(activation_bench PRIVATE farlink_idl farlink_win farlink_options ole32 oleaut32 uuid)
target_link_options(activation_bench PRIVATE -municode)
add_dependencies(activation_bench activation_bare_server FarlinkUI)
