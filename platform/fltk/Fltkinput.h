// The parts of the FLTK back end that need no display: turning FLTK's key symbols
// and modifier bits into what the program speaks.
#pragma once

#include <vector>

#include "platform/image.h"
#include "platform/system.h"

namespace platform::fltk {

// The Windows virtual-key code for an FLTK key symbol (Fl::event_key()); 0 for a key
// the program has no code for.
int VirtualKeyFromFltk(int flKey);

// Modifier keys and held mouse buttons from an FLTK event state (Fl::event_state()).
ShiftState ShiftFromFltk(int flState);

}  // namespace platform::fltk
