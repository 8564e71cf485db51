// The menu program's portability as the disc check judges it, on real programs: one
// built to the rules, this test program (which is not), and damaged copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "support/test_support.h"
#include "tools/pe_header.h"
#include "tools/lib/programcheck.h"

namespace {

std::vector<uint8_t> Portable() { return testsupport::ReadFile(VEMI_PORTABLE_PROGRAM); }

bool Mentions(const std::vector<std::string>& lines, const std::string& what) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(what) != std::string::npos; });
}

// Replaces the first occurrence of `from` in the bytes by `to` of the same length.
bool Patch(std::vector<uint8_t>& bytes, const std::string& from, const std::string& to) {
    auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    if (at == bytes.end() || from.size() != to.size()) return false;
    std::copy(to.begin(), to.end(), at);
    return true;
}

using testsupport::PeHeader;

}  // namespace

TEST(ProgramCheck, AProgramBuiltToTheRulesPasses) {
    const std::vector<uint8_t> bytes = Portable();
    const tool::ElfFacts elf = tool::ReadElf(bytes);
    ASSERT_EQ(elf.problem, "");
    EXPECT_EQ(elf.bits, 64);
    EXPECT_EQ(elf.needed, std::vector<std::string>{"libc.so.6"});
    EXPECT_EQ(elf.interpreter, "/lib64/ld-linux-x86-64.so.2");
    EXPECT_FALSE(elf.symbols);
    EXPECT_FALSE(elf.debugInfo);
    ASSERT_FALSE(elf.versionNeeds.empty());
    for (const auto& [lib, version] : elf.versionNeeds) {
        EXPECT_EQ(lib, "libc.so.6");
        EXPECT_EQ(version.rfind("GLIBC_2.", 0), 0u) << version;
    }
    const tool::ProgramVerdict v = tool::JudgeLinuxProgram(elf, bytes.size(), true);
    EXPECT_TRUE(v.errors.empty()) << v.errors.front();
    EXPECT_TRUE(v.warnings.empty()) << v.warnings.front();
}

TEST(ProgramCheck, HostLibrariesNewerCLibrariesAndLeftoversAreCaught) {
    // This test program asks the host for the C++ runtime and keeps its symbols.
    const std::vector<uint8_t> self = testsupport::ReadFile("/proc/self/exe");
    const tool::ElfFacts elf = tool::ReadElf(self);
    ASSERT_EQ(elf.problem, "");
    tool::ProgramVerdict v = tool::JudgeLinuxProgram(elf, self.size(), true);
    EXPECT_TRUE(Mentions(v.errors, "needs libstdc++.so.6 from the host"));
    EXPECT_TRUE(elf.symbols || elf.debugInfo);
    EXPECT_TRUE(Mentions(v.warnings, "is not stripped"));

    // A library the host does not give, by its name in the string table.
    std::vector<uint8_t> bytes = Portable();
    ASSERT_TRUE(Patch(bytes, "libc.so.6", "libq.so.6"));
    v = tool::JudgeLinuxProgram(tool::ReadElf(bytes), bytes.size(), true);
    EXPECT_TRUE(Mentions(v.errors, "needs libq.so.6"));

    // A C library version newer than the one allowed (GLIBC_2.x becomes GLIBC_9.x).
    bytes = Portable();
    ASSERT_TRUE(Patch(bytes, "GLIBC_2.", "GLIBC_9."));
    v = tool::JudgeLinuxProgram(tool::ReadElf(bytes), bytes.size(), true);
    ASSERT_EQ(v.errors.size(), 1u);
    EXPECT_NE(v.errors[0].find("needs GLIBC_9."), std::string::npos) << v.errors[0];
    EXPECT_NE(v.errors[0].find("at most GLIBC_2.34"), std::string::npos) << v.errors[0];
    bytes = Portable();
    ASSERT_TRUE(Patch(bytes, "GLIBC_2.", "GLIBC_PR"));
    v = tool::JudgeLinuxProgram(tool::ReadElf(bytes), bytes.size(), true);
    EXPECT_TRUE(Mentions(v.errors, "only the C library it was built with has"));

    // A loader of its own, a missing execute permission, a size over the limit.
    bytes = Portable();
    ASSERT_TRUE(Patch(bytes, "/lib64/ld-linux-x86-64.so.2", "/opt/ld-linux-x86-64.so.2xx"));
    v = tool::JudgeLinuxProgram(tool::ReadElf(bytes), tool::kProgramSizeLimit + 1, false);
    EXPECT_TRUE(Mentions(v.errors, "names the loader /opt/"));
    EXPECT_TRUE(Mentions(v.errors, "is not executable"));
    EXPECT_TRUE(Mentions(v.warnings, "more than the 4.0 MiB"));
}

TEST(ProgramCheck, DamagedAndForeignFilesAreReportedNeverTrusted) {
    EXPECT_EQ(tool::ReadElf({}).problem, "is not an ELF program");
    EXPECT_EQ(tool::ReadElf(std::vector<uint8_t>(4096, 'A')).problem, "is not an ELF program");
    const std::vector<uint8_t> whole = Portable();
    // Cut anywhere, the file is reported, never read past its end.
    for (size_t n = 16; n < whole.size(); n += n < 512 ? 7 : 509) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const tool::ElfFacts elf = tool::ReadElf(cut);
        if (elf.problem.empty()) continue;  // the tables may all lie before the cut
        EXPECT_EQ(elf.problem, "is a damaged ELF file (its tables point outside it)") << n;
    }
    std::vector<uint8_t> big = whole;
    big[5] = 2;
    EXPECT_NE(tool::ReadElf(big).problem.find("big-endian"), std::string::npos);
    std::vector<uint8_t> object = whole;
    platform::StoreLE16(object, 16, 1);  // a relocatable object, not a program
    EXPECT_EQ(tool::ReadElf(object).problem, "is an ELF file but not a program");
    EXPECT_FALSE(tool::JudgeLinuxProgram(tool::ReadElf(object), object.size(), true).errors.empty());
}

TEST(ProgramCheck, WindowsProgramsArePeExecutables) {
    EXPECT_EQ(tool::PeProblem(PeHeader(0x014C, 0x0102, 0x010B, 2)), "");
    EXPECT_EQ(tool::PeProblem(PeHeader(0x8664, 0x0022, 0x020B, 3)), "");
    EXPECT_EQ(tool::PeProblem(PeHeader(0x014C, 0x2102, 0x010B, 2)), "is a Windows library, not a program");
    EXPECT_EQ(tool::PeProblem(PeHeader(0x01C4, 0x0102, 0x010B, 2)),
              "is a Windows program for a processor the disc's users do not have");
    EXPECT_EQ(tool::PeProblem(PeHeader(0x014C, 0x0102, 0x010B, 1)),
              "is a Windows program of another kind (a driver or a boot program)");
    std::vector<uint8_t> dos = PeHeader(0x014C, 0x0102, 0x010B, 2);
    dos[0x40] = 'X';
    EXPECT_EQ(tool::PeProblem(dos), "is an MS-DOS program, not a Windows one");
    std::vector<uint8_t> far = PeHeader(0x014C, 0x0102, 0x010B, 2);
    platform::StoreLE32(far, 0x3C, 0xFFFFFFF0);
    EXPECT_EQ(tool::PeProblem(far), "is an MS-DOS program, not a Windows one");
    EXPECT_EQ(tool::PeProblem(Portable()), "is not a Windows program");
    std::vector<uint8_t> cut = PeHeader(0x014C, 0x0102, 0x010B, 2);
    cut.resize(0x40 + 30);
    EXPECT_EQ(tool::PeProblem(cut), "is a damaged Windows program");

    // The sections' data must be in the file as well: a copy that broke off after
    // the headers does not start.
    std::vector<uint8_t> sectioned = PeHeader(0x014C, 0x0102, 0x010B, 2);
    platform::StoreLE16(sectioned, 0x46, 1);
    sectioned.resize(sectioned.size() + 40 + 0x200);
    platform::StoreLE32(sectioned, 0xB8 + 16, 0x200);
    platform::StoreLE32(sectioned, 0xB8 + 20, 0xE0);
    EXPECT_EQ(tool::PeProblem(sectioned), "");
    for (size_t size : {0xE0 + 0x1FF, 0xB8 + 39}) {
        std::vector<uint8_t> broken(sectioned.begin(), sectioned.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(tool::PeProblem(broken), "is a damaged Windows program") << size;
    }
    std::vector<uint8_t> beyond = sectioned;
    platform::StoreLE32(beyond, 0xB8 + 20, 0xFFFFFF00);
    EXPECT_EQ(tool::PeProblem(beyond), "is a damaged Windows program");
    std::vector<uint8_t> shortOptional = PeHeader(0x014C, 0x0102, 0x010B, 2);
    platform::StoreLE16(shortOptional, 0x54, 0xF0);  // the optional header says it runs past the end
    EXPECT_EQ(tool::PeProblem(shortOptional), "is a damaged Windows program");
    std::vector<uint8_t> many = sectioned;
    platform::StoreLE16(many, 0x46, 97);
    many.resize(0xB8 + 97 * 40);
    EXPECT_EQ(tool::PeProblem(many), "is a damaged Windows program");
}
