// Where things are on a disc, and how a catalogue record turns into the paths the
// menu opens. The menu's catalogue model and the disc tool's check both build their
// paths here, so that a disc the tool passes is a disc on which the menu finds
// everything. Paths are Windows paths in Windows-1250, below a disc root such as
// "D:" (no trailing backslash).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "catalogue/Cjxndt4fileu.h"

namespace discpaths {

// The two catalogues as start-up tests for them, and as the catalogue model loads
// them (the disc's file system ignores letter case, so both name the same files).
inline constexpr std::string_view kMainCatalogueTested = "\\cdinst\\dat\\main.Ndt";
inline constexpr std::string_view kSecondCatalogueTested = "\\cdinst\\dat\\mains.Ndt";
inline constexpr std::string_view kMainCatalogue = "\\CDInst\\Dat\\main.ndt";
inline constexpr std::string_view kSecondCatalogue = "\\CDInst\\Dat\\mains.ndt";

// The resource archives, each with its member, which also lies beside the archive
// as a plain file for when the archive cannot be read.
inline constexpr std::string_view kResourceFolder = "\\Cdinst\\Prg";
inline constexpr std::string_view kFontArchive = "fdata.jxz";
inline constexpr std::string_view kFontMember = "fdata.jxs";
inline constexpr std::string_view kPictureArchive = "bdata.jxz";
inline constexpr std::string_view kPictureMember = "bdata.jxs";
// What the streams hold: eleven font records; 30 button pictures, then the seven
// pictures of each of the two scroll bars.
inline constexpr int kFontRecords = 11;
inline constexpr int kButtonPictures = 30;
inline constexpr int kBarPictures = 7;

// The screenshot pair shown for a program without pictures of its own.
inline constexpr std::string_view kDefaultSmallPicture = "\\CDINST\\PRG\\RSMALL.JPG";
inline constexpr std::string_view kDefaultLargeFolder = "\\CDINST\\PRG\\";
inline constexpr std::string_view kDefaultLargeName = "RLARGE.JPG";

// What start-up reads from a disc before its first picture, in the order it reads
// it: the folders these files lie in (in the order of their names, as an image lays
// out folders' entries), then the resource archives and both
// catalogues; after them comes the first screenshot, which the catalogue names. A
// disc image lays them out one after another in this order, and the program reads
// them ahead at its very start (app/entry/vemi32.cpp), so that a drive's head goes
// over them once.
inline constexpr std::array<std::string_view, 3> kStartupFolders = {"\\CDInst\\Dat", "\\CDInst\\JPS", "\\CDInst\\Prg"};
inline constexpr std::array<std::string_view, 4> kStartupFiles = {
    "\\CDInst\\Prg\\fdata.jxz", "\\CDInst\\Prg\\bdata.jxz", "\\CDInst\\Dat\\main.ndt", "\\CDInst\\Dat\\mains.ndt"};

// The program started when the user leaves.
inline constexpr std::string_view kOutro = "\\Outro.exe";

// The folder of the documents two banners open, and those documents.
inline constexpr std::string_view kDocumentFolder = "\\+ TYLKO W WERSJI CYFROWEJ +\\";
inline constexpr std::array<std::string_view, 2> kBannerDocuments = {"Poradnik.pdf", "Katalog.pdf"};

// The key every catalogue is enciphered with.
inline constexpr std::string_view kCatalogueKey = "Talvik";

// root + a disc path that begins with a backslash.
std::string OnDisc(const std::string& root, std::string_view path);

// A program path names a ZIP archive when its extension, upper-cased, is ".ZIP".
bool IsZipPath(std::string_view path);

// Field 1 below the disc root; the root alone when the field is empty.
std::string ProgramPath(const std::string& root, const std::string& field1);
// Field 5 names an information file unless it is empty or begins with "VISTA_OK".
bool NamesInfoFile(const std::string& field5);
// The information file's path; the menu sets it whenever field 5 does not begin
// with "VISTA_OK" (an empty field 5 gives the folder itself, which nothing opens).
bool SetsInfoPath(const std::string& field5);
std::string InfoPath(const std::string& root, const std::string& field5);
std::string SmallPictureFolder(const std::string& root);
std::string LargePictureFolder(const std::string& root);

// The screenshot names of field 4: split at commas, names taken exactly as written
// (blanks included), empty names skipped, at most ten. Returns how many.
int ParsePictureList(const std::string& field4, std::array<std::string, 10>& pictures);

// A file to run or set up, named by field 2 or 3, starts from the program's folder:
// folder + "\" + name; unless the name begins with "HTTP://" in any letter case,
// which makes it an address.
bool IsRunAddress(const std::string& fileName);
std::string RunPath(const std::string& folder, const std::string& fileName);

// The code of the magazine's edition from the third title line ("12/2007" ->
// "VEMI-12-2007"): the installer's folder and menu group, and the disc tool's
// volume label.
std::string EditionCode(const std::string& titleLine2);

// The working catalogue from a raw one: lines 0 to 6 as they are, every later line
// deciphered in order with one key state; then the header is read (which throws
// for a header that is not a number).
void DecodeCatalogue(const CJXNdt4File& raw, CJXNdt4File& work);

}  // namespace discpaths
