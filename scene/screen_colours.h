// What the screen keeps of a colour, measured through a bitmap compatible with it: per channel
// on a direct-colour screen, its palette on a screen of 256 colours or fewer; and on such a
// screen the palette the saver draws through.
#pragma once
#include "scene/melt.h"
#include <windows.h>

// On a screen of 256 colours or fewer, a context draws and reads colours through its palette,
// which holds only the 20 static colours until a program selects and realizes its own. The
// screen palette is made at the snapshot from the system palette's colours as they stand, so
// that the picture keeps what the desktop showed; on a direct-colour screen there is none.
// window: the saver's window (its own context may hold the palette); a preview realizes it in
// the background, its host's colours going first.
void TakeScreenPalette(HWND window, HDC screen);
// Selects the screen palette into a context and realizes it; nothing without one. Returns how
// many entries of the system palette the realizing changed.
UINT UseScreenPalette(HDC dc);
void ReleaseScreenPalette(HWND window);

// Fills colours for the screen behind reference, through the screen palette. False when it could
// not be measured (the bitmap could not be made); the melt then keeps every 8-bit channel value.
bool ReadScreenColours(HDC reference, ScreenColours& colours);
