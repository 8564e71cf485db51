#include "app/Showmapsu.h"

#include "platform/text.h"

namespace showmaps {
namespace {

struct Entry {
    int id;
    LayoutRect r;
};

const Entry kLayout[] = {
    {1, {757, 349, 42, 34}},   {2, {810, 348, 39, 33}},   {3, {860, 347, 43, 36}},   {4, {916, 350, 40, 32}},
    {5, {966, 348, 42, 35}},   {6, {964, 115, 25, 13}},   {7, {993, 115, 25, 13}},   {8, {276, 694, 105, 16}},
    {9, {441, 694, 118, 18}},  {10, {617, 695, 125, 16}}, {21, {271, 743, 74, 18}},  {22, {363, 742, 115, 20}},
    {23, {494, 743, 105, 19}}, {24, {616, 743, 129, 18}}, {31, {756, 141, 256, 192}}, {32, {756, 652, 256, 16}},
    {41, {278, 141, 464, 548}}, {42, {753, 397, 263, 242}},
};

const int kHitOrder[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 21, 22, 23, 24, 31, 32};

}  // namespace

const LayoutRect* RectOf(int id) {
    for (const auto& e : kLayout)
        if (e.id == id) return &e.r;
    return nullptr;
}

int HitTest(int x, int y) {
    for (int id : kHitOrder)
        if (RectOf(id)->Contains(x, y)) return id;
    return 0;
}

int HintHitTest(int x, int y) {
    for (int id = 1; id <= 5; ++id)
        if (RectOf(id)->Contains(x, y)) return id;
    if (RectOf(41)->Contains(x, y)) return 6;
    if (RectOf(42)->Contains(x, y)) return 7;
    if (RectOf(31)->Contains(x, y)) return 8;
    return 0;
}

int WheelHitTest(int x, int y) {
    if (RectOf(41)->Contains(x, y)) return 41;
    if (RectOf(42)->Contains(x, y)) return 42;
    return 0;
}

const std::string& HintText(int hintId) {
    // The program's texts are Windows-1250; they are written here in UTF-8 for the
    // reader and converted once.
    static const std::string kTexts[9] = {
        "",
        platform::Utf8ToCp1250("Uruchomienie programu z płyty (bez instalacji)"),
        platform::Utf8ToCp1250("Instalacja programu na twardym dysku"),
        platform::Utf8ToCp1250("Plik z informacjami o programie"),
        platform::Utf8ToCp1250("Kopiowanie zawartości folderu na twardy dysk"),
        platform::Utf8ToCp1250("Przeglądanie folderu programu na płycie"),
        platform::Utf8ToCp1250("Lista grup i nazw programów"),
        platform::Utf8ToCp1250("Najważniejsze informacje i krótki opis programu"),
        platform::Utf8ToCp1250("Ilustracja (kliknij, żeby zobaczyć następne)"),
    };
    return kTexts[(hintId >= 1 && hintId <= 8) ? hintId : 0];
}

}  // namespace showmaps
