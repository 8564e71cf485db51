// Finding the loaded object that holds a code address, for the exception unwinder
// of the shipped program.
//
// The unwinder of our compiler's static runtime asks the C library's
// _dl_find_object for the unwind tables of a return address. That call only exists
// in C libraries from 2.35 on, and a program that names it does not start at all on
// an older desktop. The shipped program is therefore linked with
// --wrap=_dl_find_object: the unwinder's calls come here instead, and the answer is
// worked out from dl_iterate_phdr, which every C library has had for twenty years
// (it is what the unwinder itself used before).
#pragma once

#include <dlfcn.h>

#if defined(DLFO_EH_SEGMENT_TYPE) && !DLFO_STRUCT_HAS_EH_DBASE && !DLFO_STRUCT_HAS_EH_COUNT
#define VEMI_HAS_FIND_OBJECT 1

namespace platform::glibc {

// Fills *result for the object mapped at address, as the C library would: the span
// of its loaded segments and its unwind table segment (null when it has none). The
// link map is left null; the unwinder does not read it. Returns 0, or -1 with
// *result untouched when no loaded object holds the address.
int FindObject(const void* address, dl_find_object* result);

}  // namespace platform::glibc

#endif
