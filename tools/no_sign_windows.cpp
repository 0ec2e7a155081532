// Benchmark only: stands in for scene/sign_window.cpp in purl_no_signs. The sign window class
// never registers (silently, as a failed registration is), so every Sign stays without a
// window while the rest of the saver runs as shipped.
#include "scene/sign.h"
#include "scene/sign_window.h"

namespace {
// Only the registration is ever called: every other call comes after a made window.
SignPlatform no_windows;
} // namespace

void UseWindowsSignPlatform()
{
    no_windows.register_class = [] { return false; };
    sign_platform = &no_windows;
}

LRESULT CALLBACK SignWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

void ReadSignMonitors(HWND) {}
