# The dialogs: their texts in process, and the dialogs themselves end to end
# in the server, driven by farlinkctl as the product would.
farlink_add_gtest(dialog_text_tests
  SOURCES dialogs/TextBuildersTest.cpp
  LIBS farlink_dialogs farlink_detection_testing)

# The dialogs in the server, end to end. Each test starts a fresh server; the
# waits of the connection tests make this the slow one.
farlink_add_gtest(dialog_process_tests
  SOURCES
    dialogs/DialogFixture.cpp
    dialogs/RemoteDesktopDialogTest.cpp
    dialogs/ConnectionStatusTest.cpp
    dialogs/DeadTesterTest.cpp
    dialogs/TranslationEndToEndTest.cpp
    server/ServerProcess.cpp
    shared/ClientDoubles.cpp
  LIBS farlink_detection_testing psapi version shell32 ole32
  DEPENDS FarlinkUI farlinkctl client_double plugin_double Lingua lingua_catalogues
  TIMEOUT 900)
