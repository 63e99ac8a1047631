# The x86_64 Windows build: the same code as the product, for 64-bit Windows; its tests run under
# 64-bit Wine.
set(OMBRIX_MINGW_ARCH x86_64)
set(OMBRIX_WINE_BITS 64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
