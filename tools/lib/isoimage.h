// `vemi-disc iso`: the image of a disc folder, ready to burn, written with
// libisofs. ISO 9660 level 3 (files of 4 GiB and more in several extents), Rock
// Ridge for Linux (long UTF-8 names, execute permissions) and Joliet for Windows
// (names in UTF-16, up to 64 units each). The menu's start-up files lie first, in
// the order it reads them (StartupReads). Nothing random goes into the image: the
// same folder with the same date gives the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tool {

struct IsoWriteOptions {
    // The volume label; empty: the edition the main catalogue names (LabelFromCatalogue).
    std::string label;
    // Seconds since 1970 (UTC) for every time in the image: the files', the
    // folders' and the volume's. Without it the files and folders keep their own
    // modification times and the volume is dated now.
    std::optional<int64_t> date;
    // Called now and then while the image is written, with the bytes written and
    // the image's size.
    std::function<void(uint64_t done, uint64_t total)> progress;
};

struct IsoWriteResult {
    std::string label;
    uint64_t bytes = 0;                // of the image
    std::vector<std::string> startup;  // the start-up files, first in the image
    std::vector<std::string> notes;    // what libisofs warned about
};

// Writes the image of the disc in discFolder to imagePath (replaced when it is
// there; written beside it under another name first, so a failure leaves no half
// image). Throws std::runtime_error naming the file at fault for a name Joliet
// cannot hold as it is (longer than 64 units, a character Joliet replaces, not
// UTF-8), an image inside the disc folder, a label that cannot be one, or a file
// that cannot be read.
IsoWriteResult WriteDiscImage(const std::string& discFolder, const std::string& imagePath, const IsoWriteOptions& options);

}  // namespace tool
