// The Win32 side of the Signs: their window class and procedure, and the window calls that
// the Sign's rules are carried out with.
#pragma once
#include <windows.h>

// Makes the Signs use the real window calls.
void UseWindowsSignPlatform();

// Reads the monitors that show a full-screen saver window into the signs' layout; a preview,
// or a system without EnumDisplayMonitors (Windows 95), gets none: the whole window shows.
void ReadSignMonitors(HWND window);

LRESULT CALLBACK SignWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
