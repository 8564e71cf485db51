# The program on the disc has to start on whatever Linux desktop the reader has, so
# it is linked to need as little from the host as it can: FLTK, libjpeg, libdeflate
# (see vemi_jpeg, vemi_deflate and vemi_fltk_link) and the C++ runtime go inside;
# the C library, zlib, X11, fontconfig and FreeType come from the desktop. It is
# stripped, and the debug information stays in the build as NAME.debug for gdb.

include(CheckCXXSourceCompiles)

# Our compiler's static unwinder calls _dl_find_object, which only C libraries
# from 2.35 on have; platform/posix/glibc/findobject.cpp answers it from dl_iterate_phdr.
set(CMAKE_REQUIRED_INCLUDES ${CMAKE_SOURCE_DIR})
check_cxx_source_compiles([[
#include "platform/posix/glibc/findobject.h"
#ifndef VEMI_HAS_FIND_OBJECT
#error the C library has no _dl_find_object of the expected shape
#endif
int main() { return 0; }
]] VEMI_HAS_FIND_OBJECT)
unset(CMAKE_REQUIRED_INCLUDES)
if(VEMI_HAS_FIND_OBJECT)
  add_library(vemi_findobject OBJECT ${CMAKE_SOURCE_DIR}/platform/posix/glibc/findobject.cpp)
  target_include_directories(vemi_findobject PUBLIC ${CMAKE_SOURCE_DIR})
endif()

function(vemi_self_contained target)
  set_target_properties(${target} PROPERTIES VEMI_SELF_CONTAINED ON)
  # --gc-sections drops the runtime's unused code, and with it the random_device
  # code that the runtime's string classes drag in: that code calls arc4random,
  # which only C libraries from 2.36 on have. Nothing of ours may use
  # std::random_device for the same reason (the disc program test checks it).
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc LINKER:--as-needed LINKER:--gc-sections)
  if(TARGET vemi_findobject)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:vemi_findobject>)
    target_link_options(${target} PRIVATE LINKER:--wrap=_dl_find_object)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
    COMMENT "Stripping ${target} (debug information in ${target}.debug)"
    VERBATIM)
endfunction()
