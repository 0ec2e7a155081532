// The Win32 side of the Sprites: their window class and procedure, and the window calls that
// the Sprite's rules are carried out with.
#pragma once
#include <windows.h>

// Makes the Sprites use the real window calls.
void UseWindowsSpritePlatform();

LRESULT CALLBACK SpriteWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
