# The 32-bit Windows build: the program users get.
set(KELDARIN_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
