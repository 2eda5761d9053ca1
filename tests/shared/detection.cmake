# Component model, detector, installation support and process scan, against
# Wine's real registry, files and processes.
include(${CMAKE_CURRENT_LIST_DIR}/../doubles/clients/clients.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../doubles/msi/msi.cmake)

add_library(farlink_detection_testing STATIC
  shared/SeededRegistry.cpp
  shared/InstallFixture.cpp
  shared/WriteBlockedKey.cpp
)
target_link_libraries(farlink_detection_testing PUBLIC farlink_detection farlink_testing
  farlink_options)

farlink_add_gtest(detection_model_tests
  SOURCES shared/ComponentsTest.cpp
  LIBS farlink_detection_testing farlink_test_seams)

farlink_add_gtest(detection_scan_tests
  SOURCES
    shared/ProcessScanTest.cpp
    shared/ClientDoubles.cpp
  LIBS farlink_detection_testing farlink_test_seams psapi
  DEPENDS client_double plugin_double)

# The Citrix, Horizon and WorkSpaces components and the detector over all six,
# in scratch hives whose 32-bit view is kept apart.
farlink_add_gtest(detection_components_tests
  SOURCES shared/ChannelComponentsTest.cpp
  LIBS farlink_detection_testing farlink_test_seams)

# Repairs through the real Windows Installer, against the channel test package
# installed into the prefix. About 2 s under Wine: msiexec /i and /x take
# 0.2-0.3 s each, every feature reinstall 60-100 ms.
farlink_add_gtest(detection_installer_tests
  SOURCES
    shared/ChannelPackage.cpp
    shared/ChannelRepairTest.cpp
  LIBS farlink_detection_testing farlink_test_seams msi
  DEPENDS channel_package)
