// RunSaver: the one saver window (full screen or inside a preview parent) and the process's
// message loop. SaverWindowProc is the outermost of the window's three message layers.
#pragma once
#include <windows.h>

int RunSaver(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
