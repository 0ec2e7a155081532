// The repaint at the end of every tick.
#pragma once
#include <windows.h>

// Shows the Backdrop at a new tremble offset now, and leaves the window with nothing to paint.
void TrembleRedraw(HWND window);
