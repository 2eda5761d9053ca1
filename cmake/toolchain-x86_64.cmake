# The build that the tests run, under 64-bit Wine.
set(FARLINK_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
