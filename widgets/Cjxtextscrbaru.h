// The scroll bar beside the description panel: the list bar's design with a shorter
// track, its down arrow higher up, and a range setter that can leave the painting
// for later.
#pragma once

#include "widgets/Cjxscrollbaru.h"

class CJXTextScrBar : public JXScrollBarCore {
public:
    static constexpr int kTrackLength = 202;
    static constexpr int kDownArrowTop = 228;

    CJXTextScrBar();
    // A negative max or position counts as 0 (the owner passes "lines - page" without
    // checking); then as the list bar's, painting only when asked.
    void SetRange(int max, int position, bool repaint);

    static JXBarClassState classState;

private:
    static void UpTimerProc();
    static void DownTimerProc();
};
