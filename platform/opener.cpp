// The parts of the opener that do not depend on how the host starts things: telling
// addresses from files, splitting parameters, looking at a Windows program's header,
// and the program's own paths taken to the host before the shell is asked.
#include <cstring>

#include "platform/bytes.h"
#include "platform/hostfile.h"
#include "platform/opener.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

namespace platform {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    return true;
}

}  // namespace

bool IsAddress(std::string_view target) {
    return target.find("://") != std::string_view::npos || StartsWithNoCase(target, "mailto:");
}

std::vector<std::string> SplitParams(std::string_view params) {
    std::vector<std::string> out;
    std::string cur;
    bool inArg = false, quoted = false;
    for (char c : params) {
        if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) out.push_back(cur);
            cur.clear();
            inArg = false;
        } else {
            cur += c;
            inArg = true;
        }
    }
    if (inArg) out.push_back(cur);
    return out;
}

std::string HostExtension(const std::string& hostPath) {
#ifdef _WIN32
    const size_t slash = hostPath.find_last_of("/\\");
#else
    const size_t slash = hostPath.find_last_of('/');
#endif
    const size_t dot = hostPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = hostPath.substr(dot + 1);
    for (char& c : ext) c = Lower(c);
    return ext;
}

bool IsWindowsProgramExtension(const std::string& ext) {
    return ext == "exe" || ext == "com" || ext == "bat" || ext == "cmd" || ext == "msi";
}

bool LooksLikeWindowsProgram(const std::string& hostPath, const std::string& ext) {
    if (ext == "bat" || ext == "cmd") return true;
    HostFile f;
    if (!f.OpenRead(hostPath)) return false;
    const uint64_t size = f.Size();
    if (ext == "msi") {
        static const unsigned char kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        unsigned char head[8];
        return f.ReadAt(0, head, sizeof head) && std::memcmp(head, kCompound, sizeof head) == 0;
    }
    unsigned char dos[64];
    if (!f.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const uint64_t pe = LoadLE32(dos + 0x3C);
    unsigned char head[24];  // signature and file header
    if (pe + sizeof head > size || !f.ReadAt(pe, head, sizeof head)) return false;
    if (std::memcmp(head, "PE\0\0", 4) != 0) return false;
    const uint32_t sections = LoadLE16(head + 6), optionalSize = LoadLE16(head + 20);
    if (sections > 96) return false;  // more than the loader accepts
    const uint64_t table = pe + sizeof head + optionalSize;
    if (table + uint64_t{sections} * 40 > size) return false;
    for (uint32_t i = 0; i < sections; ++i) {
        unsigned char sec[40];
        if (!f.ReadAt(table + uint64_t{i} * 40, sec, sizeof sec)) return false;
        const uint64_t rawSize = LoadLE32(sec + 16), rawAt = LoadLE32(sec + 20);
        if (rawSize > 0 && rawAt + rawSize > size) return false;
    }
    return true;
}

int OpenWindowsPath(const std::string& file, const std::string& dir) {
    std::string hostFile;
    if (IsAddress(file)) {
        hostFile = Cp1250ToUtf8(file);
    } else {
        auto h = Drives().ToHost(file);
        if (!h) return kOpenPathNotFound;
        hostFile = *h;
    }
    std::string hostDir;
    if (!dir.empty())
        if (auto h = Drives().ToHost(dir)) hostDir = *h;
    return Sys().ShellExecute(hostFile, "", hostDir);
}

}  // namespace platform
