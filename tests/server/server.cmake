# The server host: command line, type library, registration, end to end, log.
farlink_add_gtest(server_unit_tests
  SOURCES
    server/CommandLineTest.cpp
    server/DiagnosticLogTest.cpp
    server/ProductImageTest.cpp
    server/RegistryScriptTest.cpp
    server/TesterListTest.cpp
    server/TypeLibraryTest.cpp
  LIBS farlink_server
  DEPENDS FarlinkUI)

# Runs the built server and farlinkctl in the test's Wine prefix.
farlink_add_gtest(server_process_tests
  SOURCES
    server/EndToEndTest.cpp
    server/LogFileTest.cpp
    server/RegistrationTest.cpp
    server/ServerProcess.cpp
  LIBS farlink_win psapi version shell32 ole32
  DEPENDS FarlinkUI farlinkctl
  TIMEOUT 600)
