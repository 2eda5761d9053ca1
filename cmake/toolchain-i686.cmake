# The product build: 32-bit Windows, cross-compiled with MinGW-w64.
set(FARLINK_TRIPLE i686-w64-mingw32)
set(FARLINK_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
