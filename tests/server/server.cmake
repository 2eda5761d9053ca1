# The server host: command line, type library, registration, end to end, log.
farlink_add_gtest(server_unit_tests
  SOURCES
    server/CommandLineTest.cpp
    server/DiagnosticLogTest.cpp
    server/RegistryScriptTest.cpp
    server/TesterListTest.cpp
    server/TypeLibraryTest.cpp
  LIBS farlink_server
  DEPENDS FarlinkUI)
