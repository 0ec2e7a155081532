// Benchmark only: stands in for scene/sprite_window.cpp in purl_no_signs. The sign window class
// never registers (silently, as a failed registration is), so every Sprite stays without a
// window while the rest of the saver runs as shipped.
#include "scene/sprite.h"
#include "scene/sprite_window.h"

namespace {
const SpritePlatform no_windows = {
    [] { return false; },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};
} // namespace

void UseWindowsSpritePlatform()
{
    sprite_platform = &no_windows;
}

LRESULT CALLBACK SpriteWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}
