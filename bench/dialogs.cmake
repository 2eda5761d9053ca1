# The Remote Desktop dialog from the client's request to its filled channel
# list, beside the detector's enumeration alone.
add_executable(dialogs_bench DialogsBench.cpp)
target_link_libraries(dialogs_bench PRIVATE farlink_detection farlink_system_seams farlink_idl farlink_win
  farlink_options ole32 oleaut32 uuid user32)
target_link_options(dialogs_bench PRIVATE -municode)
add_dependencies(dialogs_bench FarlinkUI)
