#include "menu_fixture.h"

#include <filesystem>

#include "assets/program_resources.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/text.h"
#include "tools/lib/ndtwriter.h"

namespace fs = std::filesystem;

namespace menutest {

std::string MenuTest::sampleDisc_;

Record Group(const std::string& name, int level) {
    Record r;
    r.f[0] = name;
    r.f[13] = std::to_string(level);
    r.f[14] = "10";
    return r;
}

Record Prog(const std::string& name, int level) {
    Record r;
    r.f[0] = name;
    r.f[1] = "PROGRAMY\\" + name;
    r.f[3] = "start.sh";
    r.f[5] = "info.txt";
    r.f[8] = "Nagłówek " + name;
    r.f[9] = "Opis programu " + name + ".";
    r.f[13] = std::to_string(level);
    r.f[14] = "11";
    return r;
}

std::vector<std::string> CatalogueLines(const std::vector<Record>& records) {
    std::vector<std::string> lines = {"VEMI", "4", "", "", "", std::to_string(records.size()), "",
                                      "VEMI", "Magazyn", "12/2007", "DVD"};
    for (const auto& r : records)
        for (const auto& f : r.f) lines.push_back(platform::Utf8ToCp1250(f));
    return lines;
}

void WriteJpeg(const std::string& hostPath, int w, int h, platform::Rgb colour) {
    platform::Image img(w, h);
    img.FillAll(colour);
    testsupport::WriteFile(hostPath, platform::EncodeJpeg(img, 95));
}

void MenuTest::SetUpTestSuite() {
    if (!sampleDisc_.empty()) return;
    // The sample disc of the build when there is one, otherwise one made here.
    std::string built = testsupport::BinaryDir() + "/sample-disc/disc";
    if (fs::exists(built + "/CDInst/Prg/fdata.jxz")) {
        sampleDisc_ = built;
        return;
    }
    sampleDisc_ = testsupport::BinaryDir() + "/test-tmp/app-sample-disc";
    if (!fs::exists(sampleDisc_ + "/CDInst/Prg/fdata.jxz")) {
        std::string out;
        int rc = testsupport::RunCommand(testsupport::ToolPath() + " build '" + testsupport::SourceDir() +
                                             "/sample-disc' '" + sampleDisc_ + "' 2>&1",
                                         &out);
        ASSERT_EQ(rc, 0) << out;
    }
}

void MenuTest::SetUp() {
    tmp_ = std::make_unique<testsupport::TempDir>();
    disc_ = tmp_->path() + "/disc";
    fs::create_directories(disc_ + "/CDInst/Dat");
    fs::create_directories(disc_ + "/CDInst/Prg");
    fs::create_directories(disc_ + "/CDInst/JPS");
    fs::create_directories(disc_ + "/CDInst/JPG");
    fs::create_directories(disc_ + "/CDInst/TXT");
    fs::create_directories(tmp_->path() + "/home");
    desk_ = std::make_unique<testsupport::DesktopSandbox>(tmp_->path() + "/desktop");
    for (const char* f : {"fdata.jxz", "bdata.jxz", "RSMALL.JPG", "RLARGE.JPG"}) {
        std::string src = sampleDisc_ + "/CDInst/Prg/" + f;
        if (fs::exists(src)) fs::copy_file(src, disc_ + "/CDInst/Prg/" + f, fs::copy_options::overwrite_existing);
    }
    RegisterProgramResources();
}

void MenuTest::TearDown() {
    Stop();
    platform::ClearResources();
    desk_.reset();
    tmp_.reset();
}

void MenuTest::MakeDisc(const std::vector<Record>& records, const std::vector<Record>* second) {
    testsupport::WriteFile(disc_ + "/CDInst/Dat/main.ndt", tool::WriteCatalogue(CatalogueLines(records)));
    testsupport::WriteFile(disc_ + "/CDInst/Dat/mains.ndt", tool::WriteCatalogue(CatalogueLines(second ? *second : records)));
}

bool MenuTest::Start(int w, int h, std::vector<std::string> args) {
    sys_ = std::make_unique<platform::HeadlessSystem>(w, h);
    sys_->SetScale(deviceScale_);
    platform::SetSystem(sys_.get());
    platform::Drives().Map('D', disc_);
    platform::Drives().Map('C', tmp_->path() + "/home");
#ifdef _WIN32
    // The host's root, as on Linux: the root of the drive the test's files are on.
    platform::Drives().Map('Z', tmp_->path().substr(0, 2) + "\\");
#else
    platform::Drives().Map('Z', "/");
#endif
    program_ = std::make_unique<Program>(std::move(args));
    bool ok = program_->Start();
    sys_->Pump();
    return ok;
}

void MenuTest::Stop() {
    program_.reset();
    if (sys_) platform::SetSystem(nullptr);
    sys_.reset();
    platform::Drives().Unmap('D');
}

platform::HeadlessWindow& MenuTest::Main() { return static_cast<platform::HeadlessWindow&>(Frm().Window()); }

void MenuTest::ClickRow(int v, int depth) { ClickAt(280 + 24 + depth * 15 + 10, RowY(v)); }

void MenuTest::ClickAt(int x, int y, platform::Button b) {
    sys_->Advance(400);  // keep presses apart so they are never taken as double ones
    sys_->Click(Main(), x, y, b);
}

}  // namespace menutest
