// vemi-disc artwork: writes the menu's drawn artwork as BMP files, and two previews
// that put every piece where the menu puts it, so the look can be judged without
// starting the menu.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "tools/command.h"
#include "tools/lib/artwork.h"
#include "tools/lib/banners.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/screenshots.h"
#include "widgets/Cjxfontfileu.h"

namespace {

constexpr const char* kUsage = "artwork DIR";

bool Save(const std::string& path, const platform::Image& img) {
    std::vector<uint8_t> bmp = platform::EncodeBmp24(img);
    return platform::HostWriteFile(path, bmp.data(), bmp.size());
}

// The program skin as the menu shows a program on it: title, count, buttons in
// their three looks, both bars with a thumb, the update notice.
platform::Image Preview(bool program, const art::SkinPalette& pal, const std::vector<tool::FontRecipe>& roles) {
    platform::Image img = program ? art::DrawProgramSkin(pal) : art::DrawCoverSkin(pal);
    auto font = [&](int index) {
        CJXFontFile f;
        platform::MemoryStream s(tool::CompileFont(roles[index]));
        f.Load(s);
        return f;
    };
    CJXFontFile title = font(0), count = font(1), link = font(2), desc = font(3), bold = font(4), group = font(8),
                item = font(7), selected = font(9);
    std::string t = platform::Utf8ToCp1250("VEMI 12/2007 \xE2\x80\x93 p\xC5\x82yta DVD");
    title.DrawTextKerned(img, 270 + (475 - title.TextWidthKerned(t)) / 2, 113, t);
    std::string c = platform::Utf8ToCp1250("Liczba program\xC3\xB3w: 42");
    count.DrawTextKerned(img, 745 - count.TextWidthKerned(c), 720, c);
    count.DrawTextKerned(img, 275, 720, platform::Utf8ToCp1250("Lista grup i nazw program\xC3\xB3w"));
    const char* rows[] = {"Grafika i multimedia", "  Malarz 3", "  Kadr Foto", "Internet", "  Sieciowiec", "Gry"};
    for (int i = 0; i < 6; ++i) {
        CJXFontFile& f = rows[i][0] != ' ' ? group : i == 2 ? selected : item;
        f.DrawText(img, 286, 145 + 17 * i, rows[i]);
    }
    std::vector<platform::Image> buttons = art::DrawButtonPictures(pal);
    std::vector<platform::Image> listBar = art::DrawScrollBarPictures(pal, art::kListBarHeight);
    img.DrawImage(art::kListBarX, art::kListBarY, listBar[0]);
    img.DrawImage(art::kListBarX, art::kListBarY + 15 + 120, listBar[5]);
    img.DrawImage(art::kListBarX, art::kListBarY, listBar[2]);
    if (program) {
        for (int id = 1; id <= 5; ++id) {
            int state = id == 3 ? 1 : id == 2 ? 3 : 2;
            platform::Rect r = art::LayoutRect(id);
            img.DrawImage(r.x, r.y, buttons[(state - 1) * 10 + id - 1]);
        }
        std::vector<platform::Image> textBar = art::DrawScrollBarPictures(pal, art::kTextBarHeight);
        img.DrawImage(art::kTextBarX, art::kTextBarY, textBar[0]);
        img.DrawImage(art::kTextBarX, art::kTextBarY + 15, textBar[6]);
        img.DrawImage(art::kTextBarX, art::kTextBarY + 228, textBar[4]);
        bold.DrawTextKerned(img, 758, 402, platform::Utf8ToCp1250("Malarz 3 \xE2\x80\x93 edytor grafiki"));
        desc.DrawTextKerned(img, 758, 417, platform::Utf8ToCp1250("Wersja 3.2, 14 MB, freeware"));
        desc.DrawTextKerned(img, 758, 447, platform::Utf8ToCp1250("Prosty w obs\xC5\x82udze program do rysowania."));
        std::string l = "www.malarz.example.com";
        link.DrawTextKerned(img, 758, 652, l);
        img.Line(758, 665, 758 + link.TextWidthKerned(l) + 1, 665, pal.link);
        img.DrawImage(art::kNoticeRect.x, art::kNoticeRect.y, art::DrawUpdateNotice(pal));
    }
    platform::Rect r9 = art::LayoutRect(9);
    img.DrawImage(r9.x, r9.y, buttons[20 + 8]);
    platform::Rect r7 = art::LayoutRect(7);
    img.DrawImage(r7.x, r7.y, buttons[20 + 6]);
    // The banners as a whole-window mode shows them, the subscription offer as the
    // picture that stands in for its movie.
    platform::Image movie;
    std::vector<uint8_t> jpeg = platform::EncodeJpeg(art::DrawBanner(6, pal), art::kBannerJpegQuality);
    platform::DecodeJpeg(jpeg.data(), jpeg.size(), movie);
    art::PlaceBanners(img, pal, &movie);
    return img;
}

int RunArtwork(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vemi-disc %s\n", kUsage);
        return 2;
    }
    const std::string dir = args[0];
    if (!platform::HostMakeDirectories(dir)) return tool::Fail("cannot create the folder " + dir);
    const std::vector<tool::FontRecipe> roles = tool::MenuFontRoles();
    const art::SkinPalette pal = art::PaletteFromFonts(roles);
    bool ok = Save(dir + "/TLO_IM1.bmp", art::DrawCoverSkin(pal)) && Save(dir + "/TLO_IM2.bmp", art::DrawProgramSkin(pal)) &&
              Save(dir + "/NWFTPIM.bmp", art::DrawUpdateNotice(pal)) && Save(dir + "/INSTHDR.bmp", art::DrawInstallerPicture());
    art::HandCursor hand = art::DrawHandCursor();
    ok = ok && Save(dir + "/RACZKA.bmp", hand.picture) && Save(dir + "/RACZKA_MASK.bmp", hand.mask);
    std::vector<platform::Image> buttons = art::DrawButtonPictures(pal);
    for (size_t i = 0; i < buttons.size(); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/button-s%zu-%02zu.bmp", i / 10 + 1, i % 10 + 1);
        ok = ok && Save(dir + name, buttons[i]);
    }
    for (int bar = 0; bar < 2; ++bar) {
        std::vector<platform::Image> pics = art::DrawScrollBarPictures(pal, bar ? art::kTextBarHeight : art::kListBarHeight);
        for (size_t i = 0; i < pics.size(); ++i)
            ok = ok && Save(dir + "/" + (bar ? "textbar-" : "listbar-") + std::to_string(i + 1) + ".bmp", pics[i]);
    }
    for (int n = 1; n <= 7; ++n) {
        const std::string name = art::BannerSlots()[n - 1].name;
        if (n == 6) {
            std::vector<uint8_t> jpeg = platform::EncodeJpeg(art::DrawBanner(n, pal), art::kBannerJpegQuality);
            ok = ok && platform::HostWriteFile(dir + "/S_" + name + ".jpg", jpeg.data(), jpeg.size());
        } else {
            ok = ok && Save(dir + "/" + name + ".bmp", art::DrawBanner(n, pal));
        }
    }
    ok = ok && Save(dir + "/preview-cover.bmp", Preview(false, pal, roles)) &&
         Save(dir + "/preview-program.bmp", Preview(true, pal, roles));
    uint32_t seed = 1;
    for (const std::string& name : art::SceneNames()) {
        art::ScreenshotRecipe recipe;
        art::SceneFromName(name, recipe.scene);
        recipe.title = name;
        recipe.seed = seed++;
        ok = ok && Save(dir + "/scene-" + name + ".bmp", art::DrawScreenshot(recipe, 800, 600)) &&
             Save(dir + "/scene-" + name + "-small.bmp", art::DrawScreenshot(recipe, 256, 192));
    }
    ok = ok && Save(dir + "/RSMALL.bmp", art::DrawGenericPreview(256, 192)) && Save(dir + "/RLARGE.bmp", art::DrawGenericPreview(1024, 768));
    if (!ok) return tool::Fail("cannot write into " + dir);
    std::printf("hand cursor hot spot: %d, %d\n", hand.hotX, hand.hotY);
    return 0;
}

VEMI_REGISTER_COMMAND("artwork", kUsage,
                      "write the menu's drawn artwork (skins, notice, installer picture, cursor, buttons, scroll bars, banners) as BMP files "
                      "into DIR (the subscription banner as the JPEG S_banner6.jpg), with two previews of the skins dressed "
                      "as the menu shows them, one picture of every screenshot scene and "
                      "the disc's generic preview pair",
                      RunArtwork);

}  // namespace
