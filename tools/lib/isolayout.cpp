#include "tools/lib/isolayout.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"
#include "catalogue/Discpaths.h"

namespace tool {

namespace {

const std::string kRoot = "D:";
// A catalogue is a few hundred kilobytes; anything far beyond is no catalogue.
constexpr uint64_t kLargestCatalogue = 64u << 20;

bool ReadCatalogue(const DiscFiles& disc, std::string_view path, CJXNdt4File& work, std::string& why) {
    const std::string file = disc.Locate(discpaths::OnDisc(kRoot, path));
    std::vector<uint8_t> bytes;
    if (!disc.ReadAll(file, bytes, kLargestCatalogue, &why)) {
        why = ShownDiscPath(file) + " " + why;
        return false;
    }
    try {
        CJXNdt4File raw;
        raw.LoadFromBytes(bytes);
        discpaths::DecodeCatalogue(raw, work);
    } catch (const EJXCatalogueError& e) {
        why = ShownDiscPath(file) + " cannot be read: " + e.what();
        return false;
    }
    return true;
}

// The small picture the menu shows first: that of the record it selects at start,
// the first program of the main catalogue (record 0 when there is none).
std::string FirstScreenshot(const DiscFiles& disc) {
    CJXNdt4File work;
    std::string why;
    if (!ReadCatalogue(disc, discpaths::kMainCatalogue, work, why)) return {};
    const int present = (work.LineCount() - work.firstRecordLine) / work.linesPerRecord;
    const int records = std::min<int>(work.recordCount, present);
    int first = 0;
    for (int r = 0; r < records; ++r) {
        try {
            if (CatalogueLineToInt(work.GetField(r, 14)) == 11) {
                first = r;
                break;
            }
        } catch (const EJXCatalogueError&) {
            // Not a number: not a program; the menu's own reading stops there anyway.
        }
    }
    if (first < records) {
        std::array<std::string, 10> pictures;
        if (discpaths::ParsePictureList(work.GetField(first, 4), pictures) > 0 && !pictures[0].empty())
            return discpaths::SmallPictureFolder(kRoot) + pictures[0];
    }
    return discpaths::OnDisc(kRoot, discpaths::kDefaultSmallPicture);
}

}  // namespace

std::vector<std::string> StartupReads(const DiscFiles& disc) {
    std::vector<std::string> order;
    auto add = [&](const std::string& winPath) {
        if (winPath.empty() || !disc.IsFile(winPath)) return false;
        const std::string path = disc.Locate(winPath);
        if (std::find(order.begin(), order.end(), path) == order.end()) order.push_back(path);
        return true;
    };
    add(discpaths::OnDisc(kRoot, "\\vemi32"));
    const std::string resources = discpaths::OnDisc(kRoot, discpaths::kResourceFolder) + "\\";
    if (!add(resources + std::string(discpaths::kFontArchive))) add(resources + std::string(discpaths::kFontMember));
    if (!add(resources + std::string(discpaths::kPictureArchive))) add(resources + std::string(discpaths::kPictureMember));
    add(discpaths::OnDisc(kRoot, discpaths::kMainCatalogue));
    add(discpaths::OnDisc(kRoot, discpaths::kSecondCatalogue));
    add(FirstScreenshot(disc));
    add(discpaths::OnDisc(kRoot, "\\vemi32.exe"));
    return order;
}

std::optional<std::string> LabelFromCatalogue(const DiscFiles& disc, std::string& why) {
    CJXNdt4File work;
    if (!ReadCatalogue(disc, discpaths::kMainCatalogue, work, why)) return std::nullopt;
    if (work.LineCount() <= work.headLineCount + work.infoLineCount + 2) {
        why = "the main catalogue has no third title line to name the edition";
        return std::nullopt;
    }
    std::string label;
    for (char c : discpaths::EditionCode(work.GetTitleLine(2))) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        label += (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : '_';
    }
    label.resize(std::min<size_t>(label.size(), 16));
    return label;
}

std::string LabelProblem(const std::string& label) {
    if (label.empty() || label.size() > 16) return "a volume label has 1 to 16 characters";
    for (char c : label)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return "a volume label holds only capital letters A to Z, digits and \"_\"";
    return {};
}

std::string JolietNameProblem(const std::string& name) {
    const int units = JolietLength(name);
    if (units < 0) return "has a name that is not UTF-8, which Joliet cannot write";
    if (units > kLongestJolietName)
        return "has a name of " + std::to_string(units) + " characters; Joliet, which Windows reads, holds " +
               std::to_string(kLongestJolietName) + " and Windows would see it cut short";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("*/:;?\\").find(c) != std::string_view::npos)
            return "has a name with a character Joliet does not allow (" +
                   (static_cast<unsigned char>(c) < 0x20 ? std::string("a control character") : "\"" + std::string(1, c) + "\"") +
                   "): Windows would see another name";
    return {};
}

const std::vector<Medium>& Media() {
    static const std::vector<Medium> media = {
        {"a CD (700 MB)", 360000ull * 2048},
        {"a DVD (4.7 GB)", 2295104ull * 2048},
        {"a dual-layer DVD (8.5 GB)", 4171712ull * 2048},
    };
    return media;
}

const Medium* SmallestMediumFor(uint64_t bytes) {
    for (const Medium& m : Media())
        if (bytes <= m.bytes) return &m;
    return nullptr;
}

std::vector<Placement> ImageLayout(const ImageDiscFiles& image) {
    std::map<std::string, int> startup;
    int n = 0;
    for (const std::string& p : StartupReads(image)) startup[p] = ++n;
    std::vector<Placement> out;
    std::function<void(const ImageNode&, const std::string&)> walk = [&](const ImageNode& node, const std::string& path) {
        for (const ImageNode& c : node.children) {
            const std::string p = JoinDiscPath(path, c.name);
            if (c.kind == DiscEntryKind::Folder) walk(c, p);
            if (c.kind != DiscEntryKind::File) continue;
            auto s = startup.find(p);
            for (const auto& [block, bytes] : c.extents)
                out.push_back({uint64_t{block} * 2048, bytes, p, s == startup.end() ? 0 : s->second});
        }
    };
    walk(image.Trees().rockRidgeRoot, "");
    std::stable_sort(out.begin(), out.end(), [](const Placement& a, const Placement& b) { return a.offset < b.offset; });
    return out;
}

std::string FormatLayout(const std::vector<Placement>& layout) {
    std::string s = "# offset\tbytes\tstart-up\tpath\n";
    for (const Placement& p : layout)
        s += std::to_string(p.offset) + "\t" + std::to_string(p.bytes) + "\t" + (p.startup ? std::to_string(p.startup) : "-") +
             "\t" + p.path + "\n";
    return s;
}

}  // namespace tool
