// The Backdrop: snapshot, melt and tremble. The drips work on the DIB section's memory, so a
// tick costs no platform call per pixel; on a screen of fewer colours they keep what it keeps.
#include "scene/backdrop.h"
#include "scene/melt.h"
#include "scene/pixel_format.h"
#include "scene/scene_clock.h"
#include "scene/screen_colours.h"

namespace {
struct Backdrop {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous_bitmap;
    PixelBuffer pixels;
    ScreenColours colours;
};
Backdrop backdrop;

HBITMAP CreatePixelBitmap(HDC reference, int width, int height, void** bits)
{
    const BITMAPINFO info = TopDownPixels(width, height);
    return CreateDIBSection(reference, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
} // namespace

void Snapshot(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    HDC window_dc = GetDC(window);
    backdrop.dc = CreateCompatibleDC(window_dc);
    void* bits = nullptr;
    backdrop.bitmap =
        width > 0 && height > 0 ? CreatePixelBitmap(window_dc, width, height, &bits) : nullptr;
    backdrop.previous_bitmap = SelectObject(backdrop.dc, backdrop.bitmap);

    // The window's own surface is black (or composited away) before its first paint; the
    // screen's context holds what the user saw there.
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    BitBlt(backdrop.dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);

    RECT frame = {0, 0, width, height};
    FrameRect(backdrop.dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    GdiFlush();
    if (bits != nullptr) {
        // Each drip keeps only what the screen can show, as it would on the screen's pixels.
        ScreenColours* colours =
            ReadScreenColours(window_dc, backdrop.colours) ? &backdrop.colours : nullptr;
        backdrop.pixels = {static_cast<uint32_t*>(bits), width, height, width, colours};
    }
    ReleaseDC(window, window_dc);
}

void MeltBackdrop(const RECT& client)
{
    for (uint32_t i = 0; i < kDripsPerTick; ++i)
        DripFilter(backdrop.pixels, client.right, client.bottom);
}

void DrawTrembled(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    const TrembleOffset offset = DrawTrembleOffset();
    BitBlt(dc, offset.dx, offset.dy, client.right, client.bottom, backdrop.dc, 0, 0, SRCCOPY);
}

void TremblePaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    DrawTrembled(window, dc);
    EndPaint(window, &paint);
}

void ReleaseBackdrop()
{
    SelectObject(backdrop.dc, backdrop.previous_bitmap);
    DeleteDC(backdrop.dc);
    if (backdrop.bitmap != nullptr)
        DeleteObject(backdrop.bitmap);
    backdrop = {};
}
