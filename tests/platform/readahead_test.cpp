// The start-up read-ahead on a disc folder: which files it reads (measured by the
// bytes this process reads through read(), /proc/self/io's rchar), found ignoring
// letter case, and what it leaves alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/readahead.h"
#include "support/test_support.h"

namespace {

long long BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

// The bytes one read-ahead of `plan` (NUL-separated, as the program gives it) reads
// with VEMI_DISC_ROOT set to `root`, less what this measuring itself reads.
long long ReadAheadBytes(const std::string& root, const std::string& plan) {
    std::string env = "VEMI_DISC_ROOT=" + root;
    char* envp[] = {env.data(), nullptr};
    char name[] = "test";
    char* argv[] = {name, nullptr};
    const std::string terminated = plan + std::string(1, '\0');
    const long long idle0 = BytesReadSoFar();
    const long long idle1 = BytesReadSoFar();
    platform::ReadStartAhead(1, argv, envp, terminated.c_str());
    const long long after = BytesReadSoFar();
    return after - idle1 - (idle1 - idle0);
}

}  // namespace

TEST(StartReadAhead, ReadsThePlansFilesWholeFoundIgnoringCaseAndNothingElse) {
    testsupport::TempDir disc;
    std::filesystem::create_directories(disc / "CDINST/dat");
    std::filesystem::create_directories(disc / "CDINST/Prg/big");
    testsupport::WriteFile(disc / "CDINST/dat/MAIN.NDT", std::string(70000, 'a'));
    testsupport::WriteFile(disc / "CDINST/Prg/fdata.jxz", std::string(1000, 'b'));
    testsupport::WriteFile(disc / "CDINST/Prg/other.jxz", std::string(50000, 'c'));
    // Larger than any start-up file: left for the menu to read what it needs of it.
    {
        std::ofstream big(disc / "CDINST/Prg/bdata.jxz", std::ios::binary);
        big.seekp((17 << 20) - 1);
        big.put('x');
    }
    // The first call reads this test program's own file unless all of it is in
    // memory; from then on it is, and only the plan's files count.
    ReadAheadBytes(disc.path(), "CDInst/Dat/");
    const long long none = ReadAheadBytes(disc.path(), "CDInst/Dat/");
    ASSERT_GE(none, 0) << "no /proc/self/io";
    struct Case {
        const char* what;
        std::string plan;
        long long bytes;
    };
    const std::string sep(1, '\0');
    const Case cases[] = {
        {"a file in another case", "cdinst/DAT/main.ndt", 70000},
        {"folders first, then two files", "CDInst/Dat/" + sep + "CDInst/Prg/" + sep + "CDInst/Dat/main.ndt" + sep + "CDInst/Prg/FDATA.JXZ", 71000},
        {"a missing file or folder", "CDInst/Dat/none.ndt" + sep + "Nowhere/main.ndt" + sep + "CDInst/Prg/fdata.jxz", 1000},
        {"a folder named as a file, a file as a folder", "CDInst/Prg/big" + sep + "CDInst/Dat/main.ndt/", 0},
        {"a file larger than any start-up file", "CDInst/Prg/bdata.jxz", 0},
        {"a name that only begins like one", "CDInst/Prg/fdata.jx" + sep + "CDInst/Prg/fdata.jxzz", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadAheadBytes(disc.path(), c.plan) - none, c.bytes);
    }
    // No disc root at all: nothing read, nothing broken.
    EXPECT_EQ(ReadAheadBytes(disc / "missing", "CDInst/Dat/main.ndt") - none, 0);
}
