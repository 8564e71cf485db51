// The whole menu on the headless back end over catalogues as a damaged or careless
// disc may hold them. The disc (fonts, button pictures, screenshots, an information
// file) is made once per process; each input becomes the two catalogues, and the
// menu is started on them and used: every row of every view selected by key and by
// mouse, groups opened and closed, the description scrolled, the screenshot opened,
// the action buttons that only hand something to the desktop pressed, and the menu
// closed. Whatever the catalogues say, nothing may crash, hang or leak; what the menu
// cannot read it reports in a message box.
//
// Input: the grouped catalogue, then optionally a line "%%" and the alphabetical
// one (the grouped one again when there is none). A part that starts with "NDT4"
// is taken as the stored file, byte for byte; any other part is taken as the plain
// lines (Windows-1250, LF or CR LF) and enciphered as the disc tool does.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/Appstate.h"
#include "app/Mainu.h"
#include "app/Showmapsu.h"
#include "assets/program_resources.h"
#include "platform/headless/headless.h"
#include "platform/image.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "tests/fuzz/fuzz_temp.h"
#include "tools/lib/discbuilder.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/ndtwriter.h"
#include "tools/lib/zipwriter.h"

namespace fs = std::filesystem;

namespace {

// More rows than this are only walked in part: a run stays in milliseconds.
constexpr int kMostRows = 64;

void WriteHost(const fs::path& p, const void* data, size_t size) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!f) throw std::runtime_error("cannot write " + p.string());
}
void WriteHost(const fs::path& p, const std::vector<uint8_t>& b) { WriteHost(p, b.data(), b.size()); }
void WriteHost(const fs::path& p, std::string_view s) { WriteHost(p, s.data(), s.size()); }

std::vector<uint8_t> Jpeg(int w, int h, platform::Rgb c) {
    platform::Image img(w, h);
    img.FillAll(c);
    return platform::EncodeJpeg(img, 80);
}

std::vector<uint8_t> Archive(const char* member, const std::vector<uint8_t>& bytes) {
    tool::ZipWriter zip;
    zip.Add(member, bytes);
    return zip.Finish();
}

// The disc every input runs on, all but its catalogues.
struct Disc {
    fuzzsupport::ScratchFolder folder{"fuzz_menu"};
    std::string root = folder.path() + "/disc";
    std::string home = folder.path() + "/home";

    Disc() {
        const fs::path cd = fs::path(root) / "CDInst";
        WriteHost(cd / "Prg" / "fdata.jxz", Archive("fdata.jxs", tool::CompileMenuFontStream()));
        WriteHost(cd / "Prg" / "bdata.jxz", Archive("bdata.jxs", tool::PictureStream()));
        WriteHost(cd / "Prg" / "RSMALL.JPG", Jpeg(256, 192, {40, 50, 90}));
        WriteHost(cd / "Prg" / "RLARGE.JPG", Jpeg(320, 240, {40, 50, 90}));
        // Screenshots a catalogue may name: a good one, one cut short, one empty.
        const std::vector<uint8_t> good = Jpeg(64, 48, {200, 30, 30});
        for (const char* dir : {"JPS", "JPG"}) {
            WriteHost(cd / dir / "a.jpg", good);
            WriteHost(cd / dir / "b.jpg", good.data(), good.size() / 2);
            WriteHost(cd / dir / "c.jpg", "", 0);
        }
        WriteHost(cd / "TXT" / "info.txt", std::string_view("Informacje o programie.\r\n"));
        WriteHost(fs::path(root) / "PROGRAMY" / "Malarz" / "start.sh", std::string_view("#!/bin/sh\n"));
        fs::create_directories(home);
        RegisterProgramResources();
    }
};

Disc& TheDisc() {
    static Disc disc;
    return disc;
}

// One catalogue file from its part of the input.
std::string CatalogueFile(std::string_view part) {
    if (part.substr(0, 4) == "NDT4") return std::string(part);
    try {
        return tool::WriteCatalogue(tool::SplitPlainText(part));
    } catch (const std::invalid_argument&) {
        // Lines the format cannot hold go onto the disc as they are.
        return std::string(part);
    }
}

const showmaps::LayoutRect& R(int id) { return *showmaps::RectOf(id); }

class Session {
public:
    Session(platform::HeadlessSystem& sys, TMN_FRM& frm)
        : sys_(sys), frm_(frm), w_(static_cast<platform::HeadlessWindow&>(frm.Window())) {}

    void Click(int x, int y) {
        sys_.Advance(400);  // never a double press
        sys_.Click(w_, x, y);
    }
    void Press(int id) { Click(R(id).x + 5, R(id).y + 5); }
    void Key(int key) {
        sys_.KeyDown(w_, key);
        sys_.KeyUp(w_, key);
    }
    // Back from the desktop after an action handed something to it.
    void Restore() {
        if (sys_.AppMinimized()) sys_.RestoreApp();
    }

    void WalkView(int button) {
        Press(button);
        const int rows = std::min(frm_.programList.VisibleCount(), kMostRows);
        for (int i = 0; i <= rows; ++i) {
            Key(platform::kVkDown);
            // Open or close every fifth row's group.
            if (i % 5 == 4) Key(platform::kVkReturn);
        }
        for (int i = 0; i < 3; ++i) Key(platform::kVkUp);
        // The mouse on rows over the whole page, the last of its 32 included.
        for (int v : {0, 1, 4, 9, 17, 31}) Click(280 + 24 + 15 + 10, 143 + 17 * v + 8);
        sys_.Wheel(w_, 400, 300, -120);
        sys_.Wheel(w_, 400, 300, 120);
        sys_.Wheel(w_, 850, 500, -120);
        sys_.Wheel(w_, 850, 500, 120);
    }

    void UseSelection() {
        if (App().entryKind != 11) return;
        Click(800, 200);  // the screenshot
        Restore();
        for (int id : {3, 1, 5, 32}) {
            Press(id);
            Restore();
        }
    }

private:
    platform::HeadlessSystem& sys_;
    TMN_FRM& frm_;
    platform::HeadlessWindow& w_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Disc& disc = TheDisc();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view grouped = input, alphabetical = input;
    const size_t split = input.find("\n%%\n");
    if (split != std::string_view::npos) {
        grouped = input.substr(0, split + 1);
        alphabetical = input.substr(split + 4);
    }
    const fs::path dat = fs::path(disc.root) / "CDInst" / "Dat";
    WriteHost(dat / "main.ndt", CatalogueFile(grouped));
    WriteHost(dat / "mains.ndt", CatalogueFile(alphabetical));

    platform::HeadlessSystem sys(1024, 768);
    platform::SetSystem(&sys);
    platform::Drives().Map('D', disc.root);
    platform::Drives().Map('C', disc.home);
    // The picture viewer: through its pictures by click, then away by key.
    sys.onModal = [&](platform::HeadlessWindow& w) {
        for (int i = 0; i < 4 && w.Visible(); ++i) {
            sys.Advance(400);
            sys.Click(w, 10, 10);
        }
        if (w.Visible()) sys.KeyDown(w, platform::kVkEscape);
    };
    {
        Program program({});
        if (program.Start() && program.MainWindow()) {
            sys.Pump();
            Session s(sys, *program.MainWindow());
            for (int view : {8, 9, 10}) s.WalkView(view);
            s.UseSelection();
            s.Press(7);
        }
    }
    platform::SetSystem(nullptr);
    platform::Drives().Unmap('D');
    platform::Drives().Unmap('C');
    return 0;
}
