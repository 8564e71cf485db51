// Turns the readable sources of a disc into the disc itself: enciphered
// catalogues, the two resource archives, screenshots, information files, program
// folders and archives, exactly where the menu looks for them.
//
// The source folder holds:
//   catalogue.txt    the catalogue (format in discsource.h)
//   screenshots.txt  one line per picture: name, scene, small size, large size,
//                    window caption ("malarz-1.jpg paint 256x192 1024x768 Malarz 3")
//   txt/             information files, UTF-8 (written in Windows-1250, CR LF)
//   disc/            everything else, as it lies on the disc; a folder whose name
//                    ends in ".zip" becomes a ZIP archive of its contents
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"
#include "tools/lib/screenshots.h"

namespace tool {

struct BuildSummary {
    int records = 0;
    int programs = 0;
    int alphabetical = 0;
    int pictures = 0;     // screenshot names (each written small and large)
    int infoFiles = 0;
    int archives = 0;     // program archives made from ".zip" folders
    int files = 0;        // other files copied
    std::vector<std::string> menus;  // names of the menu programs at the disc's root
};

// One line of screenshots.txt: the picture's file name, how to draw it and its two
// sizes.
struct PictureLine {
    std::string name;
    art::ScreenshotRecipe recipe;
    int smallW = 0, smallH = 0, largeW = 0, largeH = 0;
};

// The pictures a screenshots.txt names, by name. Throws std::runtime_error naming
// fileName and the line for a line it does not understand, a size outside 16 to
// 4096, a name that is not a plain file name or one listed twice.
std::map<std::string, PictureLine> ParsePictureList(std::string_view text, const std::string& fileName = "screenshots.txt");

// The 44 pictures of the picture stream in stream order: 30 buttons, the list
// bar's seven, the description bar's seven.
std::vector<platform::Image> PictureStreamImages();
// The picture stream itself: those pictures as BMP files back to back.
std::vector<uint8_t> PictureStream();

// Builds the disc in outDir. outDir must be missing, empty, or a disc this tool
// built before (then it is emptied first). Throws std::runtime_error with a
// readable message for anything wrong in the sources, naming file and line.
// programs are the menu programs to put at the disc's root, at most one for each
// system (SystemOfProgramFile tells which): the Linux one as vemi32, with the
// autostart script and the licence notes beside it, the Windows one as
// vemi32.exe, with autorun.inf. A disc with both serves readers of both systems.
BuildSummary BuildDisc(const std::string& sourceDir, const std::string& outDir, const std::vector<std::string>& programs = {});

}  // namespace tool
