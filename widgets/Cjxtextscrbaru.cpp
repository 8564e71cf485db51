#include "widgets/Cjxtextscrbaru.h"

JXBarClassState CJXTextScrBar::classState;

CJXTextScrBar::CJXTextScrBar()
    : JXScrollBarCore(classState, &CJXTextScrBar::UpTimerProc, &CJXTextScrBar::DownTimerProc, kTrackLength,
                      kDownArrowTop) {}

void CJXTextScrBar::UpTimerProc() { Tick(classState, 1); }
void CJXTextScrBar::DownTimerProc() { Tick(classState, 2); }

void CJXTextScrBar::SetRange(int newMax, int newPosition, bool repaint) {
    if (newMax < 0) newMax = 0;
    if (newPosition < 0) newPosition = 0;
    if (ApplyRange(newMax, newPosition) && repaint) Redraw();
}
