# The dialogs: their texts in process, and the dialogs themselves end to end
# in the server, driven by farlinkctl as the product would.
farlink_add_gtest(dialog_text_tests
  SOURCES dialogs/TextBuildersTest.cpp
  LIBS farlink_dialogs farlink_detection_testing)
