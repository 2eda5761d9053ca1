set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${FARLINK_TRIPLE})

# The posix-thread compilers: GoogleTest needs std::mutex, and one compiler for
# every target keeps the product and its tests built alike.
set(CMAKE_C_COMPILER   ${FARLINK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FARLINK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${FARLINK_TRIPLE}-windres)
set(FARLINK_WIDL       ${FARLINK_TRIPLE}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${FARLINK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
