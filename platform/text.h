// The program's strings are 8-bit Windows-1250 bytes, as on the disc. These
// conversions are the only place where another encoding appears: UTF-8 at the edge
// (window titles, message boxes, host file names) and OEM 852 for ZIP member names.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string Cp1250ToUtf8(std::string_view s);
// Characters that Windows-1250 cannot hold become '?'.
std::string Utf8ToCp1250(std::string_view s);
// Whether a UTF-8 text (a host file name) survives the way to Windows-1250 and back
// unchanged; a name that does not would reach the program as another name.
bool FitsCp1250(std::string_view utf8);
std::string Oem852ToCp1250(std::string_view s);
std::string Cp1250ToOem852(std::string_view s);
// Every byte of code page 852 has its character in UTF-8, so this loses nothing.
std::string Oem852ToUtf8(std::string_view s);
// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s);
// Host file names (UTF-8) upper-cased for comparing them ignoring letter case:
// Latin (Polish letters included, as UpperCp1250 does them), Greek and Cyrillic
// letters; anything else, broken sequences too, is left as it is.
std::string UpperUtf8(std::string_view s);

// Upper- and lower-casing by the Windows-1250 letters, Polish ones included.
char UpperCp1250(char c);
char LowerCp1250(char c);
std::string UpperCp1250(std::string_view s);
std::string LowerCp1250(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);

// The program's texts are Windows-1250 bytes; in the source they are written in UTF-8
// for the reader and converted where they are used.
inline std::string W(const char* utf8) { return Utf8ToCp1250(utf8); }

}  // namespace platform
