// The program's texts are Windows-1250 bytes; in the source they are written in
// UTF-8 for the reader and converted where they are used.
#pragma once

#include <string>

#include "platform/text.h"

inline std::string W(const char* utf8) { return platform::Utf8ToCp1250(utf8); }
