#include "catalogue/Cjxndt4fileu.h"

#include <cstring>
#include <limits>

#include "platform/paths.h"

namespace {
// A damaged line can be megabytes long; the message shows its beginning only.
std::string Quoted(std::string_view s) {
    constexpr size_t kShown = 80;
    if (s.size() <= kShown) return "'" + std::string(s) + "'";
    return "'" + std::string(s.substr(0, kShown)) + "...'";
}
}  // namespace

int32_t CatalogueLineToInt(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t i = 0, n = s.size();
    while (i < n && blank(s[i])) ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    size_t firstDigit = i;
    // Collected as a magnitude in 64 bits and stopped early, so that a line of a
    // thousand digits neither overflows nor costs more than a few steps.
    int64_t magnitude = 0;
    bool tooBig = false;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        if (!tooBig) {
            magnitude = magnitude * 10 + (s[i] - '0');
            if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) tooBig = true;
        }
        ++i;
    }
    bool hasDigits = i > firstDigit;
    while (i < n && blank(s[i])) ++i;
    if (!hasDigits || i != n) throw EJXCatalogueError(Quoted(s) + " is not a valid integer value");
    int64_t value = negative ? -magnitude : magnitude;
    if (tooBig || value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        throw EJXCatalogueError(Quoted(s) + " is out of the integer range");
    return static_cast<int32_t>(value);
}

std::vector<std::string> SplitCatalogueText(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    // Whatever follows a NUL is not part of the text.
    if (size) {
        const void* nul = std::memchr(p, '\0', size);
        if (nul) size = static_cast<size_t>(static_cast<const char*>(nul) - p);
    }
    std::vector<std::string> out;
    size_t start = 0, i = 0;
    while (i < size) {
        char c = p[i];
        if (c == '\r' || c == '\n') {
            out.emplace_back(p + start, i - start);
            // Only CR followed by LF is one line end; LF followed by CR is two.
            if (c == '\r' && i + 1 < size && p[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < size) out.emplace_back(p + start, size - start);
    return out;
}

CJXNdt4File::CJXNdt4File()
    : headLineCount(2),
      infoLineCount(5),
      titleLineCount(4),
      firstRecordLine(headLineCount + infoLineCount + titleLineCount),
      textFieldCount(13),
      linesPerRecord(textFieldCount + 3),
      recordCount(0),
      headerNumber(0) {}

CJXNdt4File::~CJXNdt4File() = default;

void CJXNdt4File::ClearLines() { lines.clear(); }

int CJXNdt4File::LineCount() const { return static_cast<int>(lines.size()); }

const std::string& CJXNdt4File::LineAt(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(lines.size()))
        throw EJXCatalogueError("Line index " + std::to_string(index) + " out of bounds");
    return lines[static_cast<size_t>(index)];
}

const std::string& CJXNdt4File::GetLine(int i) const { return LineAt(i); }

const std::string& CJXNdt4File::GetField(int r, int f) const {
    // In 64 bits: a damaged record count or level must give an error, not a wrap.
    return LineAt(int64_t{r} * linesPerRecord + firstRecordLine + f);
}

const std::string& CJXNdt4File::GetTitleLine(int i) const {
    return LineAt(int64_t{headLineCount} + infoLineCount + i);
}

void CJXNdt4File::AddLine(std::string s) { lines.push_back(std::move(s)); }

void CJXNdt4File::LoadFromFile(std::string_view winPath) {
    ClearLines();
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(winPath, bytes))
        throw EJXCatalogueError("Cannot open file \"" + std::string(winPath) + "\"");
    lines = SplitCatalogueText(bytes.data(), bytes.size());
    bytes.clear();
    bytes.shrink_to_fit();
    ReadHeader();
}

void CJXNdt4File::LoadFromBytes(const void* data, size_t size) {
    ClearLines();
    lines = SplitCatalogueText(data, size);
    ReadHeader();
}

void CJXNdt4File::ReadHeader() {
    // Both assignments keep the low 16 bits, as the fields are 16 bits wide.
    headerNumber = static_cast<int16_t>(static_cast<uint16_t>(CatalogueLineToInt(GetLine(1))));
    recordCount = static_cast<uint16_t>(CatalogueLineToInt(GetLine(headLineCount + 3)));
}

int CJXNdt4File::CountPrograms() const {
    int count = 0;
    for (int r = 0; r < recordCount; ++r)
        if (CatalogueLineToInt(GetField(r, 14)) == 11) ++count;
    return count;
}
