// DefaultSaverFilter: the Win32 side of the dismissal filter, the innermost message layer.
#pragma once
#include <windows.h>

LRESULT DefaultSaverFilter(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
