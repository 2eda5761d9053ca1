# The installer package (packaging/) under Wine: install, use, upgrade,
# uninstall, in server_tests. The upgrade is the same set packaged as the next patch version.
if(NOT TARGET farlink_msi)
  return()
endif()
get_target_property(package farlink_msi FARLINK_MSI_FILE)
get_filename_component(package ${package} NAME)
math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
set(upgrade_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch})
farlink_add_msi(farlink_upgrade_msi VERSION ${upgrade_version}
                OUTPUT ${CMAKE_BINARY_DIR}/bin/farlink_upgrade_package.msi)

# Part of server_tests, after its other sources: it installs and removes the
# registration the server tests make themselves.
target_sources(server_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PackageTest.cpp)
target_link_libraries(server_tests PRIVATE msi)
add_dependencies(server_tests farlink_msi farlink_upgrade_msi)
target_compile_definitions(server_tests PRIVATE
  "FARLINK_PACKAGE=L\"${package}\"" "FARLINK_UPGRADE_VERSION=L\"${upgrade_version}\"")

# A release signed with a throwaway certificate and verified (no network).
add_test(NAME release_signing COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/signing.sh
         ${CMAKE_BINARY_DIR}/../i686 ${CMAKE_BINARY_DIR})
