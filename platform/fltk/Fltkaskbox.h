// A question box with more buttons than FLTK's own choice dialog offers.
#pragma once

#include <string>
#include <vector>

namespace platform::fltk {

// Shows text (UTF-8) under the caption title with the buttons labelled labels,
// left to right, and waits for the answer: the index of the button pressed. Enter
// presses the first button; Escape and the close box answer cancelIndex.
int AskWithButtons(const std::string& title, const std::string& text, const std::vector<std::string>& labels,
                   int cancelIndex);

}  // namespace platform::fltk
