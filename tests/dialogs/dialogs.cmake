# The dialogs: their texts in process, and the dialogs themselves end to end
# in the server, driven by farlinkctl as the product would.
farlink_add_gtest(dialog_text_tests
  SOURCES dialogs/TextBuildersTest.cpp
  LIBS farlink_dialogs farlink_detection_testing farlink_test_seams)

# farlink_add_dialog_test(<name> <test source>): one end-to-end test file with
# the fixture that stages the machine and runs the server and farlinkctl.
function(farlink_add_dialog_test name source)
  farlink_add_gtest(${name}
    SOURCES
      ${source}
      dialogs/DialogFixture.cpp
      server/ServerProcess.cpp
      shared/ClientDoubles.cpp
    LIBS farlink_detection_testing farlink_test_seams psapi version shell32 ole32
    DEPENDS FarlinkUI farlinkctl client_double plugin_double Lingua lingua_catalogues
    TIMEOUT 600)
endfunction()

farlink_add_dialog_test(dialog_desktop_tests dialogs/RemoteDesktopDialogTest.cpp)
# The connection tests' waits make this the slow one.
farlink_add_dialog_test(dialog_status_tests dialogs/ConnectionStatusTest.cpp)
farlink_add_dialog_test(dialog_translation_tests dialogs/TranslationEndToEndTest.cpp)
farlink_add_dialog_test(dialog_dead_tester_tests dialogs/DeadTesterTest.cpp)
