# A 64-bit Windows build of the same sources. It exists to run the tests under Wine on machines
# whose kernel cannot run 32-bit code, and so not 32-bit Wine.
set(KELDARIN_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
