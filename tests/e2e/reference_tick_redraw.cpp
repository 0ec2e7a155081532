// The tick's repaint as the saver first did it: the whole window invalidated, and drawn at its
// next WM_PAINT, with the signs' moves copying their pixels and repainting what they uncover.
// Built into purl_paint_reference.scr only, which the frame comparison runs beside purl.scr.
#include "scene/tick_redraw.h"

void TrembleRedraw(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
}

extern const UINT kSignMoveFlags = 0;
