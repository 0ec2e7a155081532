// SceneProc: the saver's picture logic, the middle of the saver window's three message layers.
// It owns the Backdrop and the signs from WM_CREATE to WM_DESTROY.
#pragma once
#include <windows.h>

LRESULT SceneProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The full-screen saver after a change of the screens: its picture and signs follow the window
// to its new box on the screen (in screen coordinates), and the window is moved there, topmost.
void FollowScreen(HWND window, const RECT& box);
