# The channel test package: a real MSI built with wixl (Debian package wixl)
# from ChannelPackage.wxs, with the plug-in double as the payload of its
# "RASClient" feature. The installer tests install it into the Wine prefix.
find_program(FARLINK_WIXL wixl REQUIRED)

set(channel_package_msi ${CMAKE_BINARY_DIR}/bin/farlink_channel_package.msi)
# wixl resolves File/@Source against its working directory, so the payload is
# staged in one folder under the names the .wxs uses.
set(channel_package_stage ${CMAKE_CURRENT_BINARY_DIR}/channel_package)
file(MAKE_DIRECTORY ${channel_package_stage})

add_custom_command(OUTPUT ${channel_package_msi}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:plugin_double> plugin_double.dll
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/package.txt package.txt
  COMMAND ${FARLINK_WIXL} -a x64 -D PluginDouble=plugin_double.dll
          -o ${channel_package_msi} ${CMAKE_CURRENT_LIST_DIR}/ChannelPackage.wxs
  WORKING_DIRECTORY ${channel_package_stage}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/ChannelPackage.wxs ${CMAKE_CURRENT_LIST_DIR}/package.txt
          plugin_double
  COMMENT "Building the channel test package with wixl"
  VERBATIM)
add_custom_target(channel_package DEPENDS ${channel_package_msi})
