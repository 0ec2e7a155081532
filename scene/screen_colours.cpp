// Measures what a screen-compatible bitmap keeps: the value each channel reads back after
// SetPixel, or the colour table GetDIBits gives for its 256-colour pixels; and the screen
// palette of a screen of 256 colours.
#include "scene/screen_colours.h"

namespace {
HPALETTE screen_palette;
bool in_background; // a preview's

bool ReadPalette(HDC dc, HBITMAP bitmap, ScreenColours& colours)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 1;
    info.header.biHeight = 1;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    uint32_t pixel = 0;
    if (GetDIBits(dc, bitmap, 0, 1, &pixel, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) ==
        0)
        return false;
    const int count = info.header.biClrUsed == 0 || info.header.biClrUsed > 256
                          ? 256
                          : static_cast<int>(info.header.biClrUsed);
    uint32_t palette[256];
    for (int i = 0; i < count; ++i)
        palette[i] = static_cast<uint32_t>(info.table[i].rgbRed) << 16 |
                     static_cast<uint32_t>(info.table[i].rgbGreen) << 8 | info.table[i].rgbBlue;
    HoldPaletteColours(colours, palette, count);
    return true;
}

bool ReadChannels(HDC dc, ScreenColours& colours)
{
    uint8_t held[3][256];
    for (int v = 0; v < 256; ++v) {
        const COLORREF written[3] = {RGB(0, 0, v), RGB(0, v, 0), RGB(v, 0, 0)};
        for (int c = 0; c < 3; ++c) {
            SetPixel(dc, 0, 0, written[c]);
            const COLORREF read = GetPixel(dc, 0, 0);
            if (read == CLR_INVALID)
                return false;
            held[c][v] = c == 0 ? GetBValue(read) : c == 1 ? GetGValue(read) : GetRValue(read);
        }
    }
    HoldDirectColours(colours, held);
    return true;
}
} // namespace

void TakeScreenPalette(HWND window, HDC screen)
{
    ReleaseScreenPalette(window);
    in_background = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
    if ((GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) == 0)
        return;
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } logical = {0x300, 0, {}};
    logical.count = static_cast<WORD>(GetSystemPaletteEntries(screen, 0, 256, logical.entries));
    if (logical.count > 0)
        screen_palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

UINT UseScreenPalette(HDC dc)
{
    if (screen_palette == nullptr)
        return 0;
    SelectPalette(dc, screen_palette, in_background);
    const UINT changed = RealizePalette(dc);
    return changed == GDI_ERROR ? 0 : changed;
}

void ReleaseScreenPalette(HWND window)
{
    if (screen_palette == nullptr)
        return;
    // The window's own context keeps what was selected into it: a palette is deleted unselected.
    HDC dc = GetDC(window);
    SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), TRUE);
    ReleaseDC(window, dc);
    DeleteObject(screen_palette);
    screen_palette = nullptr;
}

bool ReadScreenColours(HDC reference, ScreenColours& colours)
{
    HDC dc = CreateCompatibleDC(reference);
    HBITMAP bitmap = CreateCompatibleBitmap(reference, 1, 1);
    if (dc == nullptr || bitmap == nullptr) {
        if (dc != nullptr)
            DeleteDC(dc);
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        return false;
    }
    bool read;
    if (GetDeviceCaps(reference, BITSPIXEL) * GetDeviceCaps(reference, PLANES) <= 8) {
        UseScreenPalette(dc); // the colour table comes from the context's palette
        read = ReadPalette(dc, bitmap, colours); // GetDIBits wants the bitmap unselected
    } else {
        HGDIOBJ previous = SelectObject(dc, bitmap);
        read = ReadChannels(dc, colours);
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
    DeleteObject(bitmap);
    return read;
}
