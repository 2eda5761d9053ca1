# Where widl finds the system .idl files and stdole2.tlb: Debian's Wine
# packages for the cross builds; natively, MSYS2's widl knows its headers and
# Windows has stdole2.tlb in its system folder.
if(CMAKE_HOST_WIN32)
  file(TO_CMAKE_PATH "$ENV{SystemRoot}/System32" system_folder)
  set(FARLINK_WIDL_INCLUDE_DIRS "" CACHE STRING "Extra .idl folders for widl")
  set(FARLINK_WIDL_LIBRARY_DIRS "${system_folder}" CACHE STRING "Folders widl searches for stdole2.tlb")
else()
  set(FARLINK_WIDL_INCLUDE_DIRS /usr/include/wine/wine/windows CACHE STRING
      "Extra .idl folders for widl")
  set(FARLINK_WIDL_LIBRARY_DIRS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE STRING
      "Folders widl searches for stdole2.tlb")
endif()

# Generates the type library, header and interface ids from an .idl with widl.
# The 64-bit stdole2.tlb serves both builds: Wine's i386 one is not installable
# here, and the import resolves the same way in a SYS_WIN32 library.
function(farlink_widl target idl)
  set(gen ${CMAKE_BINARY_DIR}/gen)
  get_filename_component(base ${idl} NAME_WE)
  list(TRANSFORM FARLINK_WIDL_INCLUDE_DIRS PREPEND -I OUTPUT_VARIABLE search)
  list(TRANSFORM FARLINK_WIDL_LIBRARY_DIRS PREPEND -L OUTPUT_VARIABLE libraries)
  list(APPEND search ${libraries})
  set(outputs ${gen}/${base}.h ${gen}/${base}.tlb ${gen}/${base}_i.c)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
    COMMAND ${FARLINK_WIDL} ${FARLINK_WIDL_ARCH} ${search}
            -t -h -u
            -H ${gen}/${base}.h -T ${gen}/${base}.tlb -U ${gen}/${base}_i.c
            ${idl}
    # widl stamps the library with the time of the build, as text and as a
    # 32-bit number right after it; fixed stamps keep two builds identical.
    COMMAND perl -0777 -pi -e "s/(Created by WIDL version [0-9.]+ at ).{24}(\\n?WW\\x13\\x00)..../\${1}Thu Jan  1 00:00:00 1970\${2}\\0\\0\\0\\0/s"
            ${gen}/${base}.tlb
    DEPENDS ${idl}
    COMMENT "widl ${base}.idl"
    VERBATIM)
  add_library(${target} STATIC ${gen}/${base}_i.c)
  target_include_directories(${target} PUBLIC ${gen})
  set_source_files_properties(${gen}/${base}.tlb PROPERTIES GENERATED TRUE)
  add_custom_target(${target}_tlb DEPENDS ${outputs})
endfunction()

# Strips a shipped image after linking and keeps its symbols in a separate
# <file>.debug beside it in the build tree (not shipped), linked by name.
function(farlink_strip_with_debug_file target)
  # objcopy stamps the image with the current time unless told the epoch; 0
  # is what the linker writes without a time stamp.
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${objcopy} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -E chdir $<TARGET_FILE_DIR:${target}>
            ${objcopy} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    VERBATIM)
endfunction()
