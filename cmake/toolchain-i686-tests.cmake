# The test programs for the shipped product: i686 like it, with the posix
# thread model that GoogleTest needs. The product files they run are the
# shipped ones from build/i686 (FARLINK_PRODUCT_DIR), not rebuilt here.
set(FARLINK_TRIPLE i686-w64-mingw32)
set(FARLINK_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
