set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${FARLINK_TRIPLE})

# The thread model of the compilers: the product needs no std::thread or
# std::mutex, so its build takes the win32 model, which links no pthreads
# emulation; GoogleTest needs std::mutex, so the test build takes posix.
if(NOT FARLINK_THREADS)
  set(FARLINK_THREADS posix)
endif()
set(CMAKE_C_COMPILER   ${FARLINK_TRIPLE}-gcc-${FARLINK_THREADS})
set(CMAKE_CXX_COMPILER ${FARLINK_TRIPLE}-g++-${FARLINK_THREADS})
set(CMAKE_RC_COMPILER  ${FARLINK_TRIPLE}-windres)
set(FARLINK_WIDL       ${FARLINK_TRIPLE}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${FARLINK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
