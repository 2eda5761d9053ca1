# Translation: the .mo reader, Lingua.dll and the program's side of it, with
# the real catalogues beside the tests in bin/Locale.

# A catalogue for the made-up language "tst", kept out of bin/Locale: tests
# copy it where each case needs it.
set(translation_test_mo ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support-testdata/tst.mo)
add_custom_command(
  OUTPUT ${translation_test_mo}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support-testdata
  COMMAND ${FARLINK_MSGFMT} --check-format -o ${translation_test_mo}
          ${CMAKE_CURRENT_SOURCE_DIR}/support/data/tst.po
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/data/tst.po
  COMMENT "msgfmt tst.po (test catalogue)"
  VERBATIM)
add_custom_target(translation_test_catalogue DEPENDS ${translation_test_mo})

# The program's translation set-up in a process of its own, with a product
# version of 5.12 (and a different file version).
add_executable(translation_probe
  ${CMAKE_CURRENT_LIST_DIR}/TranslationProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TranslationProbe.rc)
target_link_libraries(translation_probe PRIVATE farlink_support farlink_options)
target_link_options(translation_probe PRIVATE -municode)

# Lingua.dll doubles: one records the program's calls, two fail to give an object.
function(farlink_lingua_double target)
  add_library(${target} SHARED ${CMAKE_CURRENT_SOURCE_DIR}/doubles/lingua/LinguaDouble.cpp)
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_link_libraries(${target} PRIVATE lingua_interface farlink_options)
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  target_compile_definitions(${target} PRIVATE ${ARGN})
endfunction()
farlink_lingua_double(lingua_double_recording)
farlink_lingua_double(lingua_double_null FARLINK_DOUBLE_NULL_INTERFACE)
farlink_lingua_double(lingua_double_noexport FARLINK_DOUBLE_NO_EXPORT)

farlink_add_gtest(translation_tests
  SOURCES
    support/TranslationProcessTest.cpp
  LIBS farlink_support lingua_interface lingua_catalog shell32
  DEPENDS Lingua lingua_catalogues translation_test_catalogue translation_probe
          lingua_double_recording lingua_double_null lingua_double_noexport)
