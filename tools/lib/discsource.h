// The readable source of a disc's catalogue (UTF-8 text kept in the disc sources)
// and the catalogue lines made from it: the grouped "main.ndt" and the
// alphabetical "mains.ndt". The format is described at the top of
// sample-disc/catalogue.txt; in short:
//
//   # comment                      blank lines and comments are ignored
//   line0: VEMI NDT4               header lines 0, 1, 2, 3, 4 and 6 (5 is counted)
//   title: ...                     exactly four, the title lines
//   + group: Grafika               a record; one '+' per level (level 0 = "+")
//   ++ program: Malarz 3           kinds: group (type 1), program (type 11)
//   folder: Programy\Malarz        then "key: value" lines for the fields;
//     continued here               an indented line continues the value
//
// Record keys and their fields: folder 1, setup 2, run 3, pictures 4, info 5,
// about2 6, about1 7, heading 8, text 9, link 10, web 11 (or bold 11), note 12,
// type 14, spare 15. The name is field 0 and the level field 13.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

// A fault in the source, with its line number in the message.
class SourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SourceRecord {
    std::array<std::string, 16> fields;  // UTF-8, as written
    bool group = false;
    int level = 0;
    int sourceLine = 0;  // where its head line is, for messages
};

struct CatalogueSource {
    std::array<std::string, 7> header;  // lines 0 to 6; line 5 is filled in when writing
    std::array<std::string, 4> title;
    std::vector<SourceRecord> records;
};

// Throws SourceError naming the line for anything it does not understand: an
// unknown key, a key given twice, a record skipping a level, a level above 7,
// text that Windows-1250 cannot hold, a CR or NUL, a value too long for a
// catalogue line, a number of title lines other than four.
CatalogueSource ParseCatalogueSource(std::string_view utf8);

// The plain lines (Windows-1250) of the grouped catalogue: header, title, then 16
// lines per record in source order.
std::vector<std::string> MainCatalogueLines(const CatalogueSource& src);

// The alphabetical catalogue: every record that is not a group, at level 0,
// ordered by the upper-cased Windows-1250 bytes of its name (ties keep source
// order).
std::vector<std::string> AlphabeticalCatalogueLines(const CatalogueSource& src);

}  // namespace tool
