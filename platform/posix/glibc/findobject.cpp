#include "platform/posix/glibc/findobject.h"

#ifdef VEMI_HAS_FIND_OBJECT

#include <link.h>

#include <algorithm>
#include <cstdint>

namespace platform::glibc {
namespace {

struct Search {
    uintptr_t address;
    dl_find_object* result;
};

int Visit(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    uintptr_t low = UINTPTR_MAX, high = 0;
    bool holds = false;
    const void* ehFrame = nullptr;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        const uintptr_t start = info->dlpi_addr + ph.p_vaddr;
        if (ph.p_type == PT_LOAD) {
            low = std::min(low, start);
            high = std::max(high, start + ph.p_memsz);
            if (search->address >= start && search->address - start < ph.p_memsz) holds = true;
        } else if (ph.p_type == DLFO_EH_SEGMENT_TYPE) {
            ehFrame = reinterpret_cast<const void*>(start);
        }
    }
    if (!holds) return 0;
    dl_find_object* r = search->result;
    r->dlfo_flags = 0;
    r->dlfo_map_start = reinterpret_cast<void*>(low);
    r->dlfo_map_end = reinterpret_cast<void*>(high);
    r->dlfo_link_map = nullptr;
    r->dlfo_eh_frame = const_cast<void*>(ehFrame);
    return 1;  // found: stop walking
}

}  // namespace

int FindObject(const void* address, dl_find_object* result) {
    Search search{reinterpret_cast<uintptr_t>(address), result};
    return dl_iterate_phdr(Visit, &search) ? 0 : -1;
}

}  // namespace platform::glibc

// The linker sends the unwinder's calls of _dl_find_object here (--wrap).
extern "C" int __wrap__dl_find_object(void* address, dl_find_object* result) {
    return platform::glibc::FindObject(address, result);
}

#endif
