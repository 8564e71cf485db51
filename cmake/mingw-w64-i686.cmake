# Cross-building the Windows programs on Debian with mingw-w64, as 32-bit programs:
# the ones that go on the disc.
#
# 32-bit because such a program starts on every Windows the menu may meet: a
# 32-bit Windows runs nothing else, and a 64-bit one runs it as well. The menu
# needs neither the address space nor the speed a 64-bit build would bring.
set(VEMI_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
