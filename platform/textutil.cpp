// The string helpers over the Windows-1250 case tables; the same on every host,
// whatever supplies the tables.
#include "platform/text.h"

namespace platform {

std::string UpperCp1250(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = UpperCp1250(c);
    return r;
}

std::string LowerCp1250(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = LowerCp1250(c);
    return r;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperCp1250(a[i]) != UpperCp1250(b[i])) return false;
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace platform
