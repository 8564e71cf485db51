# What both Windows toolchains share (cmake/mingw-w64-i686.cmake and
# cmake/mingw-w64-x86_64.cmake set VEMI_MINGW_TRIPLET and the processor first).
#
# The posix thread model of the compiler is chosen on purpose: the ZIP reader's
# writer thread is a std::thread, which GCC 12's win32 thread model does not offer.
# winpthreads is linked in statically with everything else (-static), so the .exe
# files need nothing beside the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VEMI_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEMI_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VEMI_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEMI_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# zlib is linked in: the import library libz.dll.a would tie the programs to a
# zlib1.dll that no Windows has.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Shipped programs carry no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
