# farlinkctl check and repair end to end: the client alone on a staged machine.
farlink_add_gtest(farlinkctl_check_tests
  SOURCES tools/FarlinkctlCheckTest.cpp dialogs/DialogFixture.cpp server/ServerProcess.cpp
  LIBS farlink_detection_testing psapi version shell32 ole32
  DEPENDS FarlinkUI farlinkctl Lingua lingua_catalogues)
