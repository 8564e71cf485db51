// `vemi-disc check`: what would break a disc, found before it is burned. The disc
// is drive D: and every path is built and looked up the way the menu builds and
// looks it up (letter case ignored, component by component); the
// catalogues, resource streams, screenshots and archives are read with the menu's
// own readers. Each file is read once, archives are streamed, nothing is written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tool {

struct CheckFinding {
    bool error = false;  // false: a warning (it works, but it is risky), or with info set
    std::string subject;  // what it is about: a record, a file (UTF-8)
    std::string text;     // what is wrong (UTF-8)
    bool info = false;    // nothing wrong: worth knowing (which medium an image fits)
};

struct CheckCounts {
    int catalogues = 0;
    std::vector<int> records;  // of each catalogue read
    int programs = 0;       // records of type 11 in the main catalogue
    int paths = 0;          // paths looked up for records
    int screenshots = 0;    // picture files decoded
    int infoFiles = 0;
    int archives = 0;       // program archives read through
    int members = 0;        // their members
    uint64_t unpacked = 0;  // bytes unpacked from them
    int fonts = 0;          // font records read
    int streamPictures = 0; // pictures read from the picture stream
    int rootPrograms = 0;   // menu programs at the root
    int files = 0, folders = 0;
    uint64_t discBytes = 0;
};

struct CheckResult {
    std::vector<CheckFinding> findings;
    CheckCounts counts;
    double seconds = 0;
    int Errors() const;
    int Warnings() const;
};

// Checks the disc in a host folder, or in an image of one (an ISO 9660 file, read
// through its trees; the Linux build only). The same checks run on both, through
// the files the disc holds (DiscFiles); an image is also checked for what only an
// image can get wrong: names that differ between its Rock Ridge tree (Linux) and
// its Joliet tree (Windows) or are too long for Joliet, and which medium it fits.
// Every finding is also handed to onFinding as soon as it is made (a whole DVD
// takes a while).
CheckResult CheckDisc(const std::string& disc, const std::function<void(const CheckFinding&)>& onFinding = {});

// One finding as the command prints it: "error: SUBJECT: TEXT" ("warning: ",
// "info: ").
std::string FormatFinding(const CheckFinding& f);
// The closing lines: what was checked, how long it took, how many errors and warnings.
std::string FormatSummary(const CheckResult& r);

// A size as the tool prints it: "12.3 KiB", "4.5 MiB", "1.23 GiB".
std::string Size(uint64_t bytes);

}  // namespace tool
