// The program's own texts: written in UTF-8 in the source, used as Windows-1250.
#pragma once

#include "platform/text.h"

using platform::W;
