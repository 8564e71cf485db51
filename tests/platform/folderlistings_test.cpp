#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/posix/folderlistings.h"
#include "support/test_support.h"

using namespace platform;

namespace {
struct Forget {
    ~Forget() { ForgetFolderListings(); }
};
}  // namespace

TEST(FolderListings, KeptDiscFoldersStillMatchNamesIgnoringCase) {
    testsupport::TempDir disc;
    std::filesystem::create_directories(disc / "CDInst/Dat");
    testsupport::WriteFile(disc / "CDInst/Dat/main.ndt", std::string("x"));
    std::filesystem::create_directories(testsupport::U8Path(disc / "Gry/Łódź"));
    testsupport::WriteFile(disc / "абв.txt", std::string("x"));
    Forget forget;
    DriveTable t;
    t.Map('D', disc.path());
    // The temporary folder can be written: it is kept only when the caller insists.
    EXPECT_FALSE(KeepFolderListings(disc.path()));
    ASSERT_TRUE(KeepFolderListings(disc.path(), true));
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(*t.ToHost("D:\\cdinst\\DAT\\MAIN.NDT"), disc / "CDInst/Dat/main.ndt");
        EXPECT_EQ(*t.ToHost("D:\\CDInst\\Dat\\main.ndt"), disc / "CDInst/Dat/main.ndt");
        EXPECT_EQ(*t.ToHost("d:\\GRY\\\xa3\xd3" "D\x8f"), disc / "Gry/Łódź");
        EXPECT_EQ(*t.ToHost("D:\\cdinst\\New\\a.txt"), disc / "CDInst/New/a.txt");
        EXPECT_EQ(*t.ToHost("D:\\???.TXT"), disc / "???.TXT");
    }
    // Listed once: a file that turns up later is not seen (a pressed disc has none).
    testsupport::WriteFile(disc / "CDInst/Dat/Late.txt", std::string("x"));
    EXPECT_EQ(*t.ToHost("D:\\CDINST\\DAT\\LATE.TXT"), disc / "CDInst/Dat/LATE.TXT");
}

TEST(FolderListings, WritableDrivesAreAskedEveryTime) {
    testsupport::TempDir disc, home;
    Forget forget;
    DriveTable t;
    t.Map('D', disc.path());
    t.Map('C', home.path());
    ASSERT_TRUE(KeepFolderListings(disc.path(), true));
    // C: beside the kept disc: what is made there is found at once.
    EXPECT_EQ(*t.ToHost("C:\\Kopie\\Plik.TXT"), home / "Kopie/Plik.TXT");
    std::filesystem::create_directories(home / "kopie");
    testsupport::WriteFile(home / "kopie/plik.txt", std::string("x"));
    EXPECT_EQ(*t.ToHost("C:\\Kopie\\Plik.TXT"), home / "kopie/plik.txt");
    // A disc folder that can be written (a test's, a copied disc) is not kept.
    ForgetFolderListings();
    EXPECT_FALSE(KeepFolderListings(disc.path()));
    EXPECT_EQ(*t.ToHost("D:\\GRY"), disc / "GRY");
    std::filesystem::create_directories(disc / "Gry");
    EXPECT_EQ(*t.ToHost("D:\\GRY"), disc / "Gry");
}
