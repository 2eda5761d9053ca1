# The Remote Desktop dialog from the client's request to its filled channel
# list, beside the detector's enumeration alone; the server's resources over
# 100 dialog cycles; 20 farlinkdrive clients at once. The test helpers bring
# the tests' seams, which answer as the system's do with no override set.
add_executable(dialogs_bench DialogsBench.cpp)
target_link_libraries(dialogs_bench PRIVATE farlink_testing farlink_test_seams farlink_detection
  farlink_idl farlink_win farlink_options ole32 oleaut32 uuid user32 psapi ntdll)
target_link_options(dialogs_bench PRIVATE -municode)
add_dependencies(dialogs_bench FarlinkUI farlinkdrive)

# The Connection Status dialog's status pass over 1, 100 and 1000 statuses,
# beside the same calls made from another process without the dialog; then
# the server's resources over 30 passes.
add_executable(status_pass_bench StatusPassBench.cpp)
target_link_libraries(status_pass_bench PRIVATE farlink_idl farlink_win farlink_options
  ole32 oleaut32 uuid user32 psapi ntdll)
target_link_options(status_pass_bench PRIVATE -municode)
add_dependencies(status_pass_bench FarlinkUI)
