// Benchmark only: stands in for scene/sprite_window.cpp in purl_no_signs. The sign window class
// never registers (silently, as a failed registration is), so every Sprite stays without a
// window while the rest of the saver runs as shipped.
#include "scene/sprite.h"
#include "scene/sprite_window.h"

namespace {
// Only the registration is ever called: every other call comes after a made window.
SpritePlatform no_windows;
} // namespace

void UseWindowsSpritePlatform()
{
    no_windows.register_class = [] { return false; };
    sprite_platform = &no_windows;
}

LRESULT CALLBACK SpriteWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

void ReadSignMonitors(HWND) {}
