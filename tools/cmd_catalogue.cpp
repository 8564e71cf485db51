// vemi-disc dump / encode: a catalogue as readable text and back.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/Cjxndt4fileu.h"
#include "platform/paths.h"
#include "tools/command.h"
#include "tools/lib/ndtwriter.h"

namespace {

int Usage(const char* usage) {
    std::fprintf(stderr, "usage: vemi-disc %s\n", usage);
    return 2;
}

bool WriteAll(FILE* f, const std::string& s) {
    if (!s.empty() && std::fwrite(s.data(), 1, s.size(), f) != s.size()) return false;
    return std::fflush(f) == 0;
}

bool ReadAll(FILE* f, std::string& out) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    return !std::ferror(f);
}

constexpr const char* kDumpUsage = "dump [--raw] FILE.ndt";
constexpr const char* kEncodeUsage = "encode [--raw] TEXT OUT.ndt";

// Takes "--raw" out of the arguments: the text is then the catalogue's own
// Windows-1250 bytes rather than UTF-8.
tool::TextForm TakeForm(std::vector<std::string>& args) {
    auto raw = std::find(args.begin(), args.end(), "--raw");
    if (raw == args.end()) return tool::TextForm::Utf8;
    args.erase(raw);
    return tool::TextForm::Raw;
}

int RunDump(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const tool::TextForm form = TakeForm(args);
    if (args.size() != 1) return Usage(kDumpUsage);
    std::vector<uint8_t> bytes;
    if (!platform::HostReadFile(args[0], bytes)) return tool::Fail("cannot read " + args[0]);

    // The header is checked the way the menu checks it, but a damaged one does not
    // stop the dump: seeing the lines is how one finds out what is wrong.
    CJXNdt4File file;
    try {
        file.LoadFromBytes(bytes);
        if (file.LineCount() < file.firstRecordLine + file.linesPerRecord * file.recordCount)
            std::fprintf(stderr, "vemi-disc: warning: %s announces %u records but holds only %d lines\n",
                         args[0].c_str(), unsigned{file.recordCount}, file.LineCount());
    } catch (const EJXCatalogueError& e) {
        std::fprintf(stderr, "vemi-disc: warning: %s: %s\n", args[0].c_str(), tool::Cp1250ToUtf8Exact(e.what()).c_str());
    }

    std::string text = tool::DumpCatalogue(bytes, form);
    if (!WriteAll(stdout, text)) return tool::Fail("cannot write to standard output");
    return 0;
}

int RunEncode(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const tool::TextForm form = TakeForm(args);
    if (args.size() != 2) return Usage(kEncodeUsage);
    std::string text;
    if (args[0] == "-") {
        if (!ReadAll(stdin, text)) return tool::Fail("cannot read standard input");
    } else {
        std::vector<uint8_t> bytes;
        if (!platform::HostReadFile(args[0], bytes)) return tool::Fail("cannot read " + args[0]);
        text.assign(bytes.begin(), bytes.end());
    }

    std::string catalogue = tool::WriteCatalogue(tool::ReadableLines(text, form));

    // Written all the same, but a catalogue the menu would refuse deserves a word.
    CJXNdt4File check;
    try {
        check.LoadFromBytes(catalogue.data(), catalogue.size());
        if (check.LineCount() < check.firstRecordLine + check.linesPerRecord * check.recordCount)
            std::fprintf(stderr, "vemi-disc: warning: line 5 announces %u records but the text holds only %d lines\n",
                         unsigned{check.recordCount}, check.LineCount());
    } catch (const EJXCatalogueError& e) {
        std::fprintf(stderr, "vemi-disc: warning: the menu will not load this catalogue: %s\n",
                     tool::Cp1250ToUtf8Exact(e.what()).c_str());
    }

    if (!platform::HostWriteFile(args[1], catalogue.data(), catalogue.size()))
        return tool::Fail("cannot write " + args[1]);
    return 0;
}

}  // namespace

VEMI_REGISTER_COMMAND("dump", kDumpUsage,
                      "print a catalogue deciphered: lines 0-6 as stored, then every later line deciphered, "
                      "each ended by LF, as UTF-8 text (--raw: the catalogue's own Windows-1250 bytes)",
                      RunDump);

VEMI_REGISTER_COMMAND("encode", kEncodeUsage,
                      "write a catalogue from UTF-8 text (--raw: Windows-1250 text; \"-\" reads standard input; LF "
                      "or CR LF ends a line, a final line end adds no line): lines 0-6 plain, the rest enciphered, "
                      "CR LF after every line. A character Windows-1250 does not have is refused, never guessed. "
                      "encode(dump(x)) gives x back byte for byte, in either form, for a CR LF catalogue written "
                      "this way; one whose last line has no line end, or whose deciphered lines hold CR, LF or "
                      "NUL, cannot come back byte for byte",
                      RunEncode);
