// Loading a sign picture and building its shape in one pass: the picture's rows are read once,
// their runs of not-black pixels become one region in one call, instead of one region
// subtraction per black pixel.
#include "scene/sign_image.h"
#include "common/heap_memory.h"
#include "scene/pixel_format.h"
#include "scene/shape_runs.h"

SignImage sign_images[3];

namespace {
// The picture's pixels as the platform converted it for the screen, as 32-bit values, in a
// block the caller frees; unreadable pixels count as not black.
uint32_t* ReadPixels(HDC screen, HBITMAP bitmap, int width, int height)
{
    const size_t count = static_cast<size_t>(width) * height;
    auto* pixels = static_cast<uint32_t*>(HeapMemory(count * sizeof(uint32_t)));
    if (pixels == nullptr)
        return nullptr;
    BITMAPINFO info = TopDownPixels(width, height);
    if (GetDIBits(screen, bitmap, 0, height, pixels, &info, DIB_RGB_COLORS) != height)
        for (size_t i = 0; i < count; ++i)
            pixels[i] = 0xFFFFFFFFu;
    return pixels;
}

HRGN RegionFromRuns(const ShapeRun* runs, int32_t count, int width, int height)
{
    if (count == 0)
        return CreateRectRgn(0, 0, 0, 0);
    const size_t size = sizeof(RGNDATAHEADER) + static_cast<size_t>(count) * sizeof(RECT);
    auto* data = static_cast<RGNDATA*>(HeapMemory(size));
    HRGN region = nullptr;
    if (data != nullptr) {
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = static_cast<DWORD>(count);
        data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
        data->rdh.rcBound = {0, 0, width, height};
        RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
        for (int32_t i = 0; i < count; ++i)
            rects[i] = {runs[i].left, runs[i].y, runs[i].right, runs[i].y + 1};
        region = ExtCreateRegion(nullptr, static_cast<DWORD>(size), data);
        FreeHeapMemory(data);
    }
    if (region != nullptr)
        return region;
    // Some systems cap the rectangles one call may take: add the runs one by one instead.
    region = CreateRectRgn(0, 0, 0, 0);
    for (int32_t i = 0; i < count; ++i) {
        HRGN piece = CreateRectRgn(runs[i].left, runs[i].y, runs[i].right, runs[i].y + 1);
        CombineRgn(region, region, piece, RGN_OR);
        DeleteObject(piece);
    }
    return region;
}
} // namespace

HRGN ShapeOfBitmap(HDC screen, HBITMAP bitmap)
{
    BITMAP size = {};
    GetObjectA(bitmap, sizeof size, &size);
    uint32_t* pixels = ReadPixels(screen, bitmap, size.bmWidth, size.bmHeight);
    auto* runs = static_cast<ShapeRun*>(HeapMemory(
        static_cast<size_t>(MaxShapeRuns(size.bmWidth, size.bmHeight)) * sizeof(ShapeRun)));
    HRGN shape;
    if (pixels != nullptr && runs != nullptr) {
        const int32_t count = NonBlackRuns(pixels, size.bmWidth, size.bmHeight, size.bmWidth, runs);
        shape = RegionFromRuns(runs, count, size.bmWidth, size.bmHeight);
    } else {
        shape = CreateRectRgn(0, 0, size.bmWidth, size.bmHeight); // the whole picture
    }
    FreeHeapMemory(runs);
    FreeHeapMemory(pixels);
    return shape;
}

int LoadSignImage(HINSTANCE instance, int id)
{
    SignImage& image = sign_images[id - 131];
    // On a screen of 256 colours a bitmap made for the screen keeps only the 20 static colours
    // (the grey body would turn black and leave the shape): the picture keeps its own there.
    HDC screen = GetDC(nullptr);
    const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    image.bitmap = static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0,
                                                   0, palette ? LR_CREATEDIBSECTION : 0));
    if (image.bitmap == nullptr) {
        ReleaseDC(nullptr, screen);
        return 0;
    }
    image.shape = ShapeOfBitmap(screen, image.bitmap); // before the bitmap is selected anywhere
    image.dc = CreateCompatibleDC(screen);
    SelectObject(image.dc, image.bitmap);
    ReleaseDC(nullptr, screen);
    return 1;
}
