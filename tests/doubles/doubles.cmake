# The stand-ins the tests run or load: client and plug-in doubles, the channel
# test package, the vendor session libraries, Lingua.dll doubles, and the
# translation probe with its test catalogue.
include(${CMAKE_CURRENT_LIST_DIR}/clients/clients.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/msi/msi.cmake)

# farlink_double_dll(<target> <source> <dll name> [definitions...]): each
# variant is its own file, so a test can put exactly that one in place, with
# undecorated export names as the vendors' libraries have them.
function(farlink_double_dll target source dll)
  add_library(${target} SHARED ${source})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${dll})
  target_link_libraries(${target} PRIVATE farlink_options lingua_interface)
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  target_compile_definitions(${target} PRIVATE ${ARGN})
endfunction()

set(d ${CMAKE_CURRENT_LIST_DIR})
farlink_double_dll(double_wfapi ${d}/session/WfapiDouble.cpp double_wfapi)
farlink_double_dll(double_wfapi_nofree ${d}/session/WfapiDouble.cpp double_wfapi_nofree FARLINK_DOUBLE_NO_FREE)
farlink_double_dll(double_vdpbridge ${d}/session/VdpBridgeDouble.cpp double_vdpbridge)
farlink_double_dll(double_vdpbridge_nofree ${d}/session/VdpBridgeDouble.cpp double_vdpbridge_nofree
  FARLINK_DOUBLE_NO_FREE)
# Lingua.dll doubles that fail to give an object.
farlink_double_dll(lingua_double_null ${d}/lingua/LinguaDouble.cpp lingua_double_null
  FARLINK_DOUBLE_NULL_INTERFACE)
farlink_double_dll(lingua_double_noexport ${d}/lingua/LinguaDouble.cpp lingua_double_noexport)

# The program's translation set-up in a process of its own, with a product
# version of 5.12 (and a different file version).
add_executable(translation_probe ${d}/../support/TranslationProbe.cpp ${d}/../support/TranslationProbe.rc)
target_link_libraries(translation_probe PRIVATE farlink_support farlink_options)
target_link_options(translation_probe PRIVATE -municode)

# A catalogue for the made-up language "tst", kept out of bin/Locale: tests
# copy it where each case needs it.
set(translation_test_mo ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support-testdata/tst.mo)
add_custom_command(
  OUTPUT ${translation_test_mo}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support-testdata
  COMMAND ${FARLINK_MSGFMT} --check-format -o ${translation_test_mo} ${d}/../support/data/tst.po
  DEPENDS ${d}/../support/data/tst.po
  COMMENT "msgfmt tst.po (test catalogue)"
  VERBATIM)
add_custom_target(translation_test_catalogue DEPENDS ${translation_test_mo})
