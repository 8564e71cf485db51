// The stand-in for the C library's _dl_find_object that the shipped program's
// unwinder calls: for every kind of address it must find the object, and the
// unwind tables, that the C library's own function finds.
#include "platform/posix/glibc/findobject.h"

#ifdef VEMI_HAS_FIND_OBJECT

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::glibc::FindObject;

int g_counter = 0;

__attribute__((noinline)) int LocalFunction(int x) { return x * 3 + ++g_counter; }

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(FindObject, AgreesWithTheCLibraryOnEveryLoadedObject) {
    struct Case {
        std::string what;
        const void* address;
    };
    const auto code = reinterpret_cast<const char*>(&LocalFunction);
    const std::vector<Case> cases = {
        {"function of the program", code},
        {"return address inside it", code + 5},
        {"data of the program", &g_counter},
        {"C library", dlsym(RTLD_DEFAULT, "printf")},
        {"zlib", dlsym(RTLD_DEFAULT, "zlibVersion")},
        {"C++ runtime", dlsym(RTLD_DEFAULT, "_ZSt9terminatev")},
        {"dynamic loader", dlsym(RTLD_DEFAULT, "_dl_find_object")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.address, nullptr);
        dl_find_object theirs{}, mine{};
        ASSERT_EQ(_dl_find_object(const_cast<void*>(c.address), &theirs), 0);
        ASSERT_EQ(FindObject(c.address, &mine), 0);
        // The unwinder reads the unwind table segment of the object; it must be the same one.
        EXPECT_EQ(mine.dlfo_eh_frame, theirs.dlfo_eh_frame);
        EXPECT_NE(mine.dlfo_eh_frame, nullptr);
        // The C library maps whole pages; the span of the segments lies within them.
        EXPECT_LE(Addr(mine.dlfo_map_start), Addr(c.address));
        EXPECT_GT(Addr(mine.dlfo_map_end), Addr(c.address));
        EXPECT_GE(Addr(mine.dlfo_map_start), Addr(theirs.dlfo_map_start));
        EXPECT_LE(Addr(mine.dlfo_map_end), Addr(theirs.dlfo_map_end));
        EXPECT_LT(Addr(mine.dlfo_map_start) - Addr(theirs.dlfo_map_start), 4096u);
    }
    // Different objects, different tables.
    dl_find_object a{}, b{};
    ASSERT_EQ(FindObject(code, &a), 0);
    ASSERT_EQ(FindObject(dlsym(RTLD_DEFAULT, "printf"), &b), 0);
    EXPECT_NE(a.dlfo_eh_frame, b.dlfo_eh_frame);
    EXPECT_GT(LocalFunction(1), 0);
}

TEST(FindObject, AddressesOutsideEveryObjectAreNotFound) {
    int onTheStack = 0;
    auto onTheHeap = std::make_unique<char[]>(64);
    void* mapped = mmap(nullptr, 1 << 16, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    for (const void* p : {static_cast<const void*>(&onTheStack), static_cast<const void*>(onTheHeap.get()),
                          static_cast<const void*>(mapped), static_cast<const void*>(nullptr)}) {
        dl_find_object theirs{}, mine;
        std::memset(&mine, 0xAB, sizeof mine);
        const dl_find_object before = mine;
        EXPECT_EQ(_dl_find_object(const_cast<void*>(p), &theirs), -1) << p;
        EXPECT_EQ(FindObject(p, &mine), -1) << p;
        EXPECT_EQ(std::memcmp(&mine, &before, sizeof mine), 0) << "left untouched: " << p;
    }
    munmap(mapped, 1 << 16);
}

}  // namespace

#endif
