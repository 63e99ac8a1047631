# The i686 Windows build: the product, a 32-bit program.
set(OMBRIX_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
