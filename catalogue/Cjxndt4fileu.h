// One catalogue file (".ndt") held as a list of text lines: the raw, still
// enciphered catalogues as they come from the disc, and the working catalogue that
// is built from one of them line by line. Access by line, by title line and by
// record and field. Nothing is validated here; anything that does not fit throws
// EJXCatalogueError, and the lines loaded so far stay loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class EJXCatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CJXNdt4File {
public:
    CJXNdt4File();
    ~CJXNdt4File();
    CJXNdt4File(const CJXNdt4File&) = default;
    CJXNdt4File& operator=(const CJXNdt4File&) = default;

    // Layout of a catalogue; set once by the constructor.
    int32_t headLineCount;    // lines 0 and 1
    int32_t infoLineCount;    // lines 2 to 6
    int32_t titleLineCount;   // lines 7 to 10
    int32_t firstRecordLine;  // 11
    int32_t textFieldCount;   // 13
    int32_t linesPerRecord;   // 16

    std::vector<std::string> lines;
    uint16_t recordCount;  // a count line of 65536 or more wraps
    int16_t headerNumber;

    void ClearLines();
    int LineCount() const;
    const std::string& GetLine(int i) const;
    // Line r * linesPerRecord + firstRecordLine + f.
    const std::string& GetField(int r, int f) const;
    // Line headLineCount + infoLineCount + i.
    const std::string& GetTitleLine(int i) const;
    void AddLine(std::string s);

    // Reads a whole file named by a Windows path, splits it into lines, reads the
    // header. A missing or unreadable file throws (and leaves no lines).
    void LoadFromFile(std::string_view winPath);
    // The same from bytes already in memory (the disc tool and the fuzzer use it).
    void LoadFromBytes(const void* data, size_t size);
    void LoadFromBytes(const std::vector<uint8_t>& data) { LoadFromBytes(data.data(), data.size()); }

    // headerNumber from line 1, recordCount from line 5.
    void ReadHeader();
    // Records whose field 14 holds the integer 11.
    int CountPrograms() const;

private:
    const std::string& LineAt(int64_t index) const;
};

// The integer held by a catalogue line. What counts as one: optional blanks
// (spaces, tabs), an optional '+' or '-', at least one decimal digit, optional
// blanks, and nothing else; the value must fit in 32 signed bits. Catalogue makers
// sometimes leave a trailing blank after a number, so blanks around it are
// forgiven, but hexadecimal and anything with letters are not numbers.
int32_t CatalogueLineToInt(std::string_view s);

// Splits catalogue text into lines: CR LF, a lone LF and a lone CR each end a line,
// the last line needs no end, a NUL ends the text. Exposed for the disc tool.
std::vector<std::string> SplitCatalogueText(const void* data, size_t size);
