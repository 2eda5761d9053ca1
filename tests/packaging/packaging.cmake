# The installer package (packaging/) under Wine: install, use, upgrade,
# uninstall. The upgrade is the same set packaged as the next patch version.
if(NOT TARGET farlink_msi)
  return()
endif()
get_target_property(package farlink_msi FARLINK_MSI_FILE)
get_filename_component(package ${package} NAME)
math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
set(upgrade_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch})
farlink_add_msi(farlink_upgrade_msi VERSION ${upgrade_version}
                OUTPUT ${CMAKE_BINARY_DIR}/bin/farlink_upgrade_package.msi)

farlink_add_gtest(package_tests
  SOURCES packaging/PackageTest.cpp
  LIBS msi
  DEPENDS farlink_msi farlink_upgrade_msi farlinkctl
  TIMEOUT 600)
target_compile_definitions(package_tests PRIVATE
  "FARLINK_PACKAGE=L\"${package}\"" "FARLINK_UPGRADE_VERSION=L\"${upgrade_version}\"")
