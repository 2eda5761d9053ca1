# What ships, read as data: the header, resources and imports of each shipped
# executable. An image that was not built is skipped. Run as
#   cmake -DIMAGES=<exe>[;<exe>] -DOBJDUMP_x86_64=... -DOBJDUMP_i686=... -P ProductImage.cmake
# Every one declares Windows 7 (6.1) with DEP and ASLR on; then what each adds.
set(every "MajorOSystemVersion\t6" "MinorOSystemVersion\t1"
  "MajorSubsystemVersion\t6" "MinorSubsystemVersion\t1" "DYNAMIC_BASE" "NX_COMPAT")
set(checks_FarlinkUI.exe "Subsystem\t\t00000002\t(Windows GUI)" "TERMINAL_SERVICE_AWARE"
  ": REGISTRY, Value" ": TYPELIB, Value"
  "Entry: ID: 0x000065," "Entry: ID: 0x000066," "Entry: ID: 0x000067,"
  "Entry: ID: 0x000010," "Entry: ID: 0x000018,"  # RT_VERSION, RT_MANIFEST
  "level=\"asInvoker\"" "uiAccess=\"false\"" "%MODULE%")  # manifest, registry scripts
set(checks_farlinkctl.exe "Subsystem\t\t00000003\t(Windows CUI)")
set(checks_FarlinkScan64.exe "Subsystem\t\t00000003\t(Windows CUI)" "TERMINAL_SERVICE_AWARE")
set(failures "")
foreach(image IN LISTS IMAGES)
  if(NOT EXISTS "${image}")
    message(STATUS "not built: ${image}")
    continue()
  endif()
  get_filename_component(name "${image}" NAME)
  # The 64-bit companion ships in the i686 folder.
  if(image MATCHES "/i686[^/]*/bin/" AND NOT name STREQUAL "FarlinkScan64.exe")
    set(objdump "${OBJDUMP_i686}")
    set(format "pei-i386")
  else()
    set(objdump "${OBJDUMP_x86_64}")
    set(format "pei-x86-64")
  endif()
  execute_process(COMMAND "${objdump}" -p "${image}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  file(STRINGS "${image}" texts REGEX "requestedExecutionLevel|%MODULE%")
  string(APPEND dump "${texts}")
  foreach(check IN LISTS every checks_${name} ITEMS "file format ${format}")
    string(FIND "${dump}" "${check}" at)
    if(at EQUAL -1)
      list(APPEND failures "${image}: no '${check}'")
    endif()
  endforeach()
  # A statically linked runtime imports only system DLLs, no MinGW ones.
  string(REGEX MATCHALL "DLL Name: [^\n]*" dlls "${dump}")
  if(NOT dlls OR dlls MATCHES "DLL Name: [lL][iI][bB]")
    list(APPEND failures "${image}: imports ${dlls}")
  endif()
  message(STATUS "checked ${image}")
endforeach()
if(failures)
  string(REPLACE ";" "\n" failures "${failures}")
  message(FATAL_ERROR "${failures}")
endif()
