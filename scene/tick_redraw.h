// The repaint at the end of every tick.
#pragma once
#include <windows.h>

// Shows the Backdrop at a new tremble offset and every sign where it stands, now, and leaves the
// window and the signs with nothing to paint.
void TrembleRedraw(HWND window);

// The SetWindowPos flags a sign's move adds: as the tick draws everything, a move need neither
// copy a sign's pixels nor have anything repainted.
extern const UINT kSignMoveFlags;
