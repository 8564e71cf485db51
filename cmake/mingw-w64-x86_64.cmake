# Cross-building the Windows programs on Debian with mingw-w64, as 64-bit programs:
# the same programs as cmake/mingw-w64-i686.cmake builds for the disc, for the
# machines whose wine runs only 64-bit programs (a Linux kernel without 32-bit
# support runs no 32-bit wine). scripts/test-windows.sh picks it there.
set(VEMI_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
