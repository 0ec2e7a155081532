// The Windows 95/98/Me password scheme: the verifier from PASSWORD.CPL around the saver window,
// the check on close, the system's "saver running" flag and the change-password mode (MPR.DLL).
#pragma once
#include <windows.h>

void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(BOOL running);
UINT VerifyOnClose(HWND window);
void ChangePassword(HWND parent);
