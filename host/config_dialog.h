// The configuration dialog: nothing to configure, a box of labels and one button.
#pragma once
#include <windows.h>

int ShowConfigDialog(HWND parent);
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
