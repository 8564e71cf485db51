#include "tools/lib/discsource.h"

#include <algorithm>
#include <map>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Discpaths.h"
#include "platform/text.h"

namespace tool {

namespace {

struct Key {
    const char* name;
    int field;
};
constexpr Key kRecordKeys[] = {
    {"folder", 1}, {"setup", 2},   {"run", 3},  {"pictures", 4}, {"info", 5},  {"about2", 6}, {"about1", 7}, {"heading", 8},
    {"text", 9},   {"link", 10},   {"web", 11}, {"bold", 11},    {"note", 12}, {"type", 14},  {"spare", 15},
};
constexpr Key kHeaderKeys[] = {{"line0", 0}, {"line1", 1}, {"line2", 2}, {"line3", 3}, {"line4", 4}, {"line6", 6}};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

[[noreturn]] void Fault(int line, const std::string& what) {
    throw SourceError("line " + std::to_string(line) + ": " + what);
}

// Text goes onto the disc in Windows-1250; a character it cannot hold would
// silently turn into '?', so it is refused here instead.
std::string ToDisc(const std::string& utf8, int line) {
    std::string cp = platform::Utf8ToCp1250(utf8);
    if (platform::Cp1250ToUtf8(cp) != utf8) Fault(line, "text that Windows-1250 cannot hold: " + utf8);
    return cp;
}

void AppendRecord(std::vector<std::string>& out, const SourceRecord& r, int level) {
    for (int f = 0; f < 16; ++f) {
        if (f == 13) out.push_back(std::to_string(level));
        else out.push_back(ToDisc(r.fields[f], r.sourceLine));
    }
}

// The programs of the alphabetical catalogue in its order: by the upper-cased
// Windows-1250 bytes of the name, ties in source order.
std::vector<const SourceRecord*> AlphabeticalOrder(const CatalogueSource& src) {
    std::vector<const SourceRecord*> entries;
    for (const auto& r : src.records)
        if (!r.group) entries.push_back(&r);
    auto sortKey = [](const SourceRecord* r) { return platform::UpperCp1250(platform::Utf8ToCp1250(r->fields[0])); };
    std::stable_sort(entries.begin(), entries.end(), [&](const SourceRecord* a, const SourceRecord* b) {
        std::string ka = sortKey(a), kb = sortKey(b);
        return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    });
    return entries;
}

// A catalogue line grows when it is enciphered (some bytes are stored as two), and
// by how much depends on the cipher's state, which runs across the lines: whether a
// long value still fits is only known by enciphering the catalogue as the build
// will. A value that does not fit is named by its record's line; a title line by
// its own.
void CheckStorable(const std::vector<std::string>& lines, const std::vector<const SourceRecord*>& order,
                   const std::array<int, 4>& titleLines) {
    CJXKoder koder;
    koder.SetKey(discpaths::kCatalogueKey);
    for (size_t i = 7; i < lines.size(); ++i) {
        try {
            EncodeLine(koder, lines[i]);
        } catch (const std::invalid_argument&) {
            if (i < 11) Fault(titleLines[i - 7], "a title too long for a catalogue line");
            const SourceRecord& r = *order[(i - 11) / 16];
            Fault(r.sourceLine, "field " + std::to_string((i - 11) % 16) + " of \"" + r.fields[0] +
                                    "\" is too long for a catalogue line");
        }
    }
}

std::vector<std::string> HeadLines(const CatalogueSource& src, size_t records) {
    std::vector<std::string> out;
    for (int i = 0; i < 7; ++i) out.push_back(i == 5 ? std::to_string(records) : ToDisc(src.header[i], 0));
    for (const auto& t : src.title) out.push_back(ToDisc(t, 0));
    return out;
}

}  // namespace

CatalogueSource ParseCatalogueSource(std::string_view text) {
    CatalogueSource src;
    src.header[0] = "VEMI NDT4";
    src.header[1] = "4";
    int titles = 0;
    std::array<int, 4> titleLines{};
    std::map<std::string, int> headerSeen;
    std::map<int, int> fieldSeen;  // field -> line it was set on, for the current record
    std::string* last = nullptr;   // the value an indented line continues
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') {
            if (line.empty()) last = nullptr;
            continue;
        }
        // A catalogue line ends at CR or LF, and the menu reads a NUL as its end.
        if (line.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos)
            Fault(lineNo, "a CR or NUL character, which a catalogue line cannot hold");
        if (raw.front() == ' ' || raw.front() == '\t') {
            if (!last) Fault(lineNo, "an indented line continues nothing");
            last->append(" ").append(line);
            continue;
        }
        if (line.front() == '+') {
            size_t plus = line.find_first_not_of('+');
            if (plus == std::string_view::npos) Fault(lineNo, "a record head without a kind");
            int level = static_cast<int>(plus) - 1;
            if (level > 7) Fault(lineNo, "levels go from 0 to 7");
            int previous = src.records.empty() ? -1 : src.records.back().level;
            if (level > previous + 1) Fault(lineNo, "a record may go only one level deeper than the one before it");
            std::string_view rest = Trim(line.substr(plus));
            size_t colon = rest.find(':');
            if (colon == std::string_view::npos) Fault(lineNo, "a record head reads \"+ group: name\" or \"+ program: name\"");
            std::string_view kind = Trim(rest.substr(0, colon));
            SourceRecord r;
            r.level = level;
            r.sourceLine = lineNo;
            r.fields[0] = std::string(Trim(rest.substr(colon + 1)));
            if (r.fields[0].empty()) Fault(lineNo, "a record without a name");
            if (kind == "group") {
                r.group = true;
                r.fields[14] = "1";
            } else if (kind == "program") {
                r.fields[14] = "11";
            } else {
                Fault(lineNo, "unknown kind \"" + std::string(kind) + "\" (group or program)");
            }
            ToDisc(r.fields[0], lineNo);
            src.records.push_back(std::move(r));
            fieldSeen.clear();
            last = &src.records.back().fields[0];
            continue;
        }
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) Fault(lineNo, "expected \"key: value\"");
        std::string key(Trim(line.substr(0, colon)));
        std::string value(Trim(line.substr(colon + 1)));
        if (src.records.empty()) {
            if (key == "title") {
                if (titles == 4) Fault(lineNo, "more than four title lines");
                titleLines[titles] = lineNo;
                src.title[titles] = value;
                last = &src.title[titles++];
                continue;
            }
            auto k = std::find_if(std::begin(kHeaderKeys), std::end(kHeaderKeys), [&](const Key& h) { return key == h.name; });
            if (k == std::end(kHeaderKeys)) Fault(lineNo, "unknown header key \"" + key + "\"");
            if (headerSeen.count(key)) Fault(lineNo, "\"" + key + "\" given twice");
            headerSeen[key] = lineNo;
            src.header[k->field] = value;
            last = &src.header[k->field];
            continue;
        }
        auto k = std::find_if(std::begin(kRecordKeys), std::end(kRecordKeys), [&](const Key& h) { return key == h.name; });
        if (k == std::end(kRecordKeys)) Fault(lineNo, "unknown key \"" + key + "\"");
        if (fieldSeen.count(k->field)) Fault(lineNo, "field " + std::to_string(k->field) + " given twice");
        fieldSeen[k->field] = lineNo;
        SourceRecord& r = src.records.back();
        r.fields[k->field] = value;
        last = &r.fields[k->field];
    }
    if (titles != 4) Fault(lineNo, "the catalogue needs exactly four title lines, not " + std::to_string(titles));
    // Continuation lines are joined only now, so check what reaches the disc once more.
    for (const auto& r : src.records)
        for (const auto& f : r.fields) ToDisc(f, r.sourceLine);
    std::vector<const SourceRecord*> inOrder;
    for (const auto& r : src.records) inOrder.push_back(&r);
    CheckStorable(MainCatalogueLines(src), inOrder, titleLines);
    CheckStorable(AlphabeticalCatalogueLines(src), AlphabeticalOrder(src), titleLines);
    return src;
}

std::vector<std::string> MainCatalogueLines(const CatalogueSource& src) {
    std::vector<std::string> out = HeadLines(src, src.records.size());
    for (const auto& r : src.records) AppendRecord(out, r, r.level);
    return out;
}

std::vector<std::string> AlphabeticalCatalogueLines(const CatalogueSource& src) {
    const std::vector<const SourceRecord*> entries = AlphabeticalOrder(src);
    std::vector<std::string> out = HeadLines(src, entries.size());
    for (const SourceRecord* r : entries) AppendRecord(out, *r, 0);
    return out;
}

}  // namespace tool
