# Builds one installer package: lays out the shipped set in STAGE with the
# tree's install rules, packs that folder into OUTPUT with wixl and, given a
# certificate, signs the laid-out executables and DLLs before packing (so the
# installed files carry signatures too) and the package after. Included by
# the script packaging/CMakeLists.txt writes per package, which sets TREE,
# STAGE, OUTPUT, WIXL, WIXL_ARGS, MSIBUILD and OSSLSIGNCODE; the caller may
# override STAGE and OUTPUT and give
#   CERT       a PKCS#12 file with the code-signing key and its chain
#   TIMESTAMP  an RFC 3161 time-stamp URL (releases only: it is contacted)
# and the key's password in the environment, FARLINK_SIGNING_PASSWORD.
cmake_minimum_required(VERSION 3.20)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(GET ARGN 0 program)
    message(FATAL_ERROR "${program} failed (${rc}) building ${OUTPUT}")
  endif()
endfunction()

# Signs each file in place: osslsigncode writes a new file beside it. The
# password goes through a file only its owner reads, not the command line
# that every user of the machine can list.
function(sign)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode not found: cannot sign ${OUTPUT}")
  endif()
  set(options -pkcs12 "${CERT}" -h sha256 -n FarlinkUI)
  if(DEFINED ENV{FARLINK_SIGNING_PASSWORD})
    set(pass "${OUTPUT}.pass")
    file(WRITE "${pass}" "")
    file(CHMOD "${pass}" PERMISSIONS OWNER_READ OWNER_WRITE)
    file(APPEND "${pass}" "$ENV{FARLINK_SIGNING_PASSWORD}")
    list(APPEND options -readpass "${pass}")
  endif()
  if(TIMESTAMP)
    list(APPEND options -ts "${TIMESTAMP}")
  endif()
  foreach(file IN LISTS ARGN)
    file(REMOVE "${file}.signed")
    execute_process(COMMAND "${OSSLSIGNCODE}" sign ${options} -in "${file}" -out "${file}.signed"
                    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      if(pass)
        file(REMOVE "${pass}")
      endif()
      message(FATAL_ERROR "signing ${file} failed (${rc}):\n${out}")
    endif()
    file(RENAME "${file}.signed" "${file}")
  endforeach()
  if(pass)
    file(REMOVE "${pass}")
  endif()
endfunction()

# A fresh folder: the package holds exactly what the install rules lay out.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
run("${CMAKE_COMMAND}" --install "${TREE}" --prefix "${STAGE}")
if(CERT)
  file(GLOB_RECURSE images "${STAGE}/*.exe" "${STAGE}/*.dll")
  sign(${images})
endif()
# wixl reads File/@Source from its working directory, the staged folder.
run("${WIXL}" ${WIXL_ARGS} -o "${OUTPUT}")
# wixl writes no rollback actions; 3410 makes RollbackRegister one: run the
# installed file (18), deferred (0x400) and not impersonated (0x800) as the
# other two, on rollback only (0x100), result ignored (0x40).
run("${MSIBUILD}" "${OUTPUT}" -q
    "UPDATE `CustomAction` SET `Type` = 3410 WHERE `Action` = 'RollbackRegister'")
# The 64-bit scan companion, where the package carries it, on 64-bit Windows
# only: wixl reads no component conditions.
run("${MSIBUILD}" "${OUTPUT}" -q
    "UPDATE `Component` SET `Condition` = 'VersionNT64' WHERE `Component` = 'Scan64'")
if(CERT)
  sign("${OUTPUT}")
endif()
