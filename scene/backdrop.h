// The Backdrop: a 32-bit copy of what the screen showed under the saver window, melted by drips
// on its pixel memory and shown with a random tremble at every repaint.
#pragma once
#include "scene/screen_change.h"
#include <windows.h>

// Copies the screen under the window's client area and frames it with a one-pixel black border.
void Snapshot(HWND window);

// The depth of the screen the Backdrop's colours were measured on, and of the screen now.
int BackdropDepth();
// The part of the screen the Backdrop shows, in screen coordinates.
PlainRect BackdropBox();
int ScreenDepth();

// After a change of the screens: a Backdrop for the window's new box on the screen, keeping what
// the old one showed where they overlap; the newly shown parts take the desktop's own picture
// (its wallpaper or pattern on its colour): the system may not have drawn a monitor just added,
// and a copy of the screen could show black there.
void RemakeBackdrop(HWND window, const PlainRect& after, const ScreenChange& change);

// Applies one tick's drips inside the given client area.
void MeltBackdrop(const RECT& client);

// The whole Backdrop copied through dc to the window at a random -2..+1 offset; dc holds the
// screen palette (UseScreenPalette).
void DrawTrembled(HWND window, HDC dc);

// The body of WM_PAINT: DrawTrembled inside BeginPaint and EndPaint.
void TremblePaint(HWND window);

// On a screen of 256 colours: realizes the screen palette for the window and, when that changed
// the system's colours, repaints it with its signs. True when it changed them.
bool RealizeBackdropPalette(HWND window);

void ReleaseBackdrop(HWND window);
