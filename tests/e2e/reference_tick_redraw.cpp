// The tick's repaint as the saver first did it: the whole window invalidated, and drawn at its
// next WM_PAINT. Built into purl_paint_reference.scr only, which the frame comparison runs
// beside purl.scr.
#include "scene/tick_redraw.h"

void TrembleRedraw(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
}
