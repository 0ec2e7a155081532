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
    int depth;     // bits a pixel of the screen the colours were measured on
    PlainRect box; // the part of the screen it shows, in screen coordinates
};
Backdrop backdrop;
// What the screen keeps of each colour, measured at the snapshot and again when the depth
// changes; held is false when it could not be measured, and the drips keep every colour.
ScreenColours colours;
bool colours_held;

HBITMAP CreatePixelBitmap(HDC reference, int width, int height, void** bits)
{
    const BITMAPINFO info = TopDownPixels(width, height);
    return CreateDIBSection(reference, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

int Depth(HDC dc)
{
    return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
}

// A Backdrop of width x height in a context of its own, its pixels still to be filled.
Backdrop NewBackdrop(HDC window_dc, int width, int height, void** bits)
{
    Backdrop made = {};
    made.dc = CreateCompatibleDC(window_dc);
    made.bitmap =
        width > 0 && height > 0 ? CreatePixelBitmap(window_dc, width, height, bits) : nullptr;
    made.previous_bitmap = SelectObject(made.dc, made.bitmap);
    return made;
}

// Frames the filled pixels with a one-pixel black border and hands them to the drips, with the
// screen's colours measured again when measure says so.
void FinishBackdrop(Backdrop& made, HDC window_dc, int width, int height, void* bits, bool measure)
{
    RECT frame = {0, 0, width, height};
    FrameRect(made.dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    GdiFlush();
    made.depth = Depth(window_dc);
    if (bits == nullptr)
        return;
    // Each drip keeps only what the screen can show, as it would on the screen's pixels.
    if (measure)
        colours_held = ReadScreenColours(window_dc, colours);
    made.pixels = {static_cast<uint32_t*>(bits), width, height, width,
                   colours_held ? &colours : nullptr};
}

void Release(Backdrop& old)
{
    SelectObject(old.dc, old.previous_bitmap);
    DeleteDC(old.dc);
    if (old.bitmap != nullptr)
        DeleteObject(old.bitmap);
}
} // namespace

void Snapshot(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    HDC window_dc = GetDC(window);
    void* bits = nullptr;
    backdrop = NewBackdrop(window_dc, width, height, &bits);
    // The window's own surface is black (or composited away) before its first paint; the
    // screen's context holds what the user saw there.
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    TakeScreenPalette(window, screen);
    UseScreenPalette(screen);
    BitBlt(backdrop.dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    FinishBackdrop(backdrop, window_dc, width, height, bits, true);
    backdrop.box = {origin.x, origin.y, origin.x + width, origin.y + height};
    ReleaseDC(window, window_dc);
}

int BackdropDepth()
{
    return backdrop.depth;
}

PlainRect BackdropBox()
{
    return backdrop.box;
}

int ScreenDepth()
{
    HDC screen = GetDC(nullptr);
    const int depth = Depth(screen);
    ReleaseDC(nullptr, screen);
    return depth;
}

void RemakeBackdrop(HWND window, const PlainRect& after, const ScreenChange& change)
{
    const int width = after.right - after.left;
    const int height = after.bottom - after.top;
    HDC window_dc = GetDC(window);
    void* bits = nullptr;
    Backdrop made = NewBackdrop(window_dc, width, height, &bits);
    if (change.measure_colours) { // the depth changed
        HDC screen = GetDC(nullptr);
        TakeScreenPalette(window, screen);
        ReleaseDC(nullptr, screen);
    }
    // The newly shown parts take the desktop's own picture: its colour, then its wallpaper or
    // pattern, drawn in screen coordinates where the system draws them. A copy of the screen
    // could show black or garbage there, as the system may not have drawn a monitor just added.
    for (int i = 0; i < change.fresh_count; ++i) {
        const PlainRect& r = change.fresh[i];
        const RECT part = {r.left, r.top, r.right, r.bottom};
        FillRect(made.dc, &part, GetSysColorBrush(COLOR_DESKTOP));
        const int saved = SaveDC(made.dc);
        SetViewportOrgEx(made.dc, -after.left, -after.top, nullptr);
        IntersectClipRect(made.dc, after.left + r.left, after.top + r.top, after.left + r.right,
                          after.top + r.bottom);
        PaintDesktop(made.dc);
        RestoreDC(made.dc, saved);
    }
    const PlainRect& k = change.kept;
    const int kept_width = k.right - k.left, kept_height = k.bottom - k.top;
    if (kept_width > 0 && kept_height > 0)
        BitBlt(made.dc, k.left, k.top, kept_width, kept_height, backdrop.dc, change.kept_from_x,
               change.kept_from_y, SRCCOPY);
    // An edge of the old picture that now lies inside the new one would leave its black frame
    // there as a seam: it takes the line beside it instead.
    if (kept_width > 1 && kept_height > 1) {
        if (k.left > 0)
            BitBlt(made.dc, k.left, k.top, 1, kept_height, made.dc, k.left + 1, k.top, SRCCOPY);
        if (k.right < width)
            BitBlt(made.dc, k.right - 1, k.top, 1, kept_height, made.dc, k.right - 2, k.top,
                   SRCCOPY);
        if (k.top > 0)
            BitBlt(made.dc, k.left, k.top, kept_width, 1, made.dc, k.left, k.top + 1, SRCCOPY);
        if (k.bottom < height)
            BitBlt(made.dc, k.left, k.bottom - 1, kept_width, 1, made.dc, k.left, k.bottom - 2,
                   SRCCOPY);
    }
    FinishBackdrop(made, window_dc, width, height, bits, change.measure_colours);
    made.box = after;
    ReleaseDC(window, window_dc);
    Release(backdrop);
    backdrop = made;
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
    UseScreenPalette(dc);
    DrawTrembled(window, dc);
    EndPaint(window, &paint);
}

bool RealizeBackdropPalette(HWND window)
{
    HDC dc = GetDC(window);
    const UINT changed = UseScreenPalette(dc);
    ReleaseDC(window, dc);
    if (changed > 0)
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return changed > 0;
}

void ReleaseBackdrop(HWND window)
{
    Release(backdrop);
    backdrop = {};
    ReleaseScreenPalette(window);
}
