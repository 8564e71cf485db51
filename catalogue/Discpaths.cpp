#include "catalogue/Discpaths.h"

#include "catalogue/Cjxkoderu.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace discpaths {

std::string OnDisc(const std::string& root, std::string_view path) { return root + std::string(path); }

bool IsZipPath(std::string_view path) { return platform::UpperCp1250(platform::ExtractFileExt(path)) == ".ZIP"; }

std::string ProgramPath(const std::string& root, const std::string& field1) {
    return field1.empty() ? root : root + "\\" + field1;
}

bool SetsInfoPath(const std::string& field5) { return !platform::StartsWith(field5, "VISTA_OK"); }

bool NamesInfoFile(const std::string& field5) { return !field5.empty() && SetsInfoPath(field5); }

std::string InfoPath(const std::string& root, const std::string& field5) { return root + "\\CDINST\\TXT\\" + field5; }

std::string SmallPictureFolder(const std::string& root) { return root + "\\CDINST\\JPS\\"; }

std::string LargePictureFolder(const std::string& root) { return root + "\\CDINST\\JPG\\"; }

int ParsePictureList(const std::string& field4, std::array<std::string, 10>& pictures) {
    for (auto& p : pictures) p.clear();
    int count = 0;
    std::string s = field4;
    if (s.empty()) return 0;
    if (s.find(',') == std::string::npos) {
        pictures[0] = s;
        return 1;
    }
    size_t comma;
    while ((comma = s.find(',')) != std::string::npos && count < 10) {
        std::string t = s.substr(0, comma);
        s.erase(0, comma + 1);
        if (!t.empty()) pictures[count++] = t;
    }
    if (count < 10 && !s.empty()) pictures[count++] = s;
    return count;
}

bool IsRunAddress(const std::string& fileName) { return platform::UpperCp1250(fileName.substr(0, 7)) == "HTTP://"; }

std::string RunPath(const std::string& folder, const std::string& fileName) { return folder + "\\" + fileName; }

std::string EditionCode(const std::string& titleLine2) {
    std::string s = titleLine2;
    if (size_t p = s.find('/'); p != std::string::npos) s[p] = '-';
    if (size_t p = s.find('/'); p != std::string::npos) s.erase(p);
    if (s.size() == 6) s = "0" + s;
    return "VEMI-" + s;
}

void DecodeCatalogue(const CJXNdt4File& raw, CJXNdt4File& work) {
    work.ClearLines();
    for (int i = 0; i <= 6; ++i) work.AddLine(raw.GetLine(i));
    CJXKoder koder;
    koder.SetKey(kCatalogueKey);
    for (int i = 7; i < raw.LineCount(); ++i) work.AddLine(DecodeLine(koder, raw.GetLine(i)));
    work.ReadHeader();
}

}  // namespace discpaths
