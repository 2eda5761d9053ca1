# Session probe and cloud instance probe, with the vendor-library doubles the
# probe binds for real.

# farlink_session_double(<target> <source> <dll name> [definitions...])
# Each variant is its own file, so a test can put exactly that one in place.
function(farlink_session_double target source dll)
  add_library(${target} SHARED ${source})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${dll})
  target_link_libraries(${target} PRIVATE farlink_options)
  # Undecorated export names, as the vendors' libraries have them.
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  target_compile_definitions(${target} PRIVATE ${ARGN})
endfunction()

set(session_doubles ${CMAKE_CURRENT_SOURCE_DIR}/doubles/session)
farlink_session_double(double_wfapi ${session_doubles}/WfapiDouble.cpp double_wfapi)
farlink_session_double(double_wfapi_noexports ${session_doubles}/WfapiDouble.cpp
  double_wfapi_noexports FARLINK_DOUBLE_NO_EXPORTS)
farlink_session_double(double_wfapi_nofree ${session_doubles}/WfapiDouble.cpp
  double_wfapi_nofree FARLINK_DOUBLE_NO_FREE)
farlink_session_double(double_vdpbridge ${session_doubles}/VdpBridgeDouble.cpp double_vdpbridge)
farlink_session_double(double_vdpbridge_nofree ${session_doubles}/VdpBridgeDouble.cpp
  double_vdpbridge_nofree FARLINK_DOUBLE_NO_FREE)

farlink_add_gtest(session_probe_tests
  SOURCES
    shared/SessionProbeTest.cpp
    shared/CloudProbeTest.cpp
    shared/SessionTestSupport.cpp
    common/LoopbackHttpServer.cpp
  LIBS farlink_session farlink_test_seams ws2_32
  DEPENDS double_wfapi double_wfapi_noexports double_wfapi_nofree
          double_vdpbridge double_vdpbridge_nofree)
