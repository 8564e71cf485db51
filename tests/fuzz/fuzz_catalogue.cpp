// Catalogue files as they might come off a damaged disc: loading, the header, the
// program count and deciphering every line must end in lines or in the catalogue's
// own error, never in a crash. The same bytes taken as one plain line must also come
// back unchanged through the encoder and the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CJXNdt4File raw;
    try {
        raw.LoadFromBytes(data, size);
    } catch (const EJXCatalogueError&) {
        // The lines loaded so far stay and are used below, as the menu would.
    }

    CJXKoder koder;
    koder.SetKey("Talvik");
    CJXNdt4File work;
    for (int i = 0; i < raw.LineCount(); ++i)
        work.AddLine(i < 7 ? raw.GetLine(i) : DecodeLine(koder, raw.GetLine(i)));
    try {
        work.ReadHeader();
        work.CountPrograms();
        if (work.recordCount > 0) work.GetField(work.recordCount - 1, 0);
    } catch (const EJXCatalogueError&) {
    }

    // A single stored line of any length, escapes and a final backslash included.
    CJXKoder lineKoder;
    lineKoder.SetKey("Talvik");
    std::string_view asLine(reinterpret_cast<const char*>(data), size);
    (void)DecodeLine(lineKoder, asLine);

    // Whatever the encoder accepts, the decoder must give back.
    try {
        CJXKoder enc, dec;
        enc.SetKey("Talvik");
        dec.SetKey("Talvik");
        std::string stored = EncodeLine(enc, asLine);
        if (DecodeLine(dec, stored) != asLine) std::abort();
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
