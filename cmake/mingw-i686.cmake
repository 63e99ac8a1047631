# The i686 Windows build: the product, a 32-bit program; its tests run under 32-bit Wine.
set(OMBRIX_MINGW_ARCH i686)
set(OMBRIX_WINE_BITS 32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
