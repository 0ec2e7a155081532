// Times one tick of the melt (500 drips) on a 1920 x 1080 Backdrop two ways in one run: through
// GetPixel/SetPixel on a compatible bitmap, one call per pixel, and with the saver's kernel on a
// DIB section's memory. Checks that both leave the same pixels and prints both times and the ratio.
#include "common/saver_random.h"
#include "scene/melt.h"
#include "scene/pixel_format.h"
#include "tools/benchmark_clock.h"
#include <cstdio>
#include <cstring>
#include <vector>
#include <windows.h>

namespace {
const int kWidth = 1920;
const int kHeight = 1080;
const int kTicks = 20;

// One drip, read and written one pixel at a time, as the drip is defined.
void PerPixelDrip(HDC dc, int width, int height)
{
    const int x = static_cast<int>(SaverRandom() % width);
    const int y = static_cast<int>(SaverRandom() % height);
    const int b = static_cast<int>(SaverRandom() % 15) + 5;
    for (int i = 0; i < 3; ++i) {
        const COLORREF top = GetPixel(dc, x + i, y);
        if (top == CLR_INVALID)
            continue;
        const int n = b + i % 2;
        for (int k = 1; k <= n; ++k) {
            const COLORREF here = GetPixel(dc, x + i, y + k);
            if (here == CLR_INVALID)
                break;
            const int r = ((GetRValue(top) + GetRValue(here)) / 2) * 29 / 30;
            const int g = ((GetGValue(top) + GetGValue(here)) / 2) * 29 / 30;
            const int bl = ((GetBValue(top) + GetBValue(here)) / 2) * 29 / 30;
            SetPixel(dc, x + i, y + k, RGB(r, g, bl));
        }
    }
}
} // namespace

int main()
{
    std::vector<uint32_t> start(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            start[static_cast<size_t>(y) * kWidth + x] = static_cast<uint32_t>(
                (x * 255 / kWidth) << 16 | (y * 255 / kHeight) << 8 | ((x ^ y) & 255));

    HDC screen = GetDC(nullptr);
    BITMAPINFO info = TopDownPixels(kWidth, kHeight);

    // The per-pixel way: a bitmap compatible with the screen.
    HDC slow_dc = CreateCompatibleDC(screen);
    HBITMAP slow_bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    SelectObject(slow_dc, slow_bitmap);
    SetDIBits(slow_dc, slow_bitmap, 0, kHeight, start.data(), &info, DIB_RGB_COLORS);

    // The kernel: a DIB section's memory.
    void* bits = nullptr;
    HBITMAP fast_bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    memcpy(bits, start.data(), start.size() * 4);
    PixelBuffer buffer = {static_cast<uint32_t*>(bits), kWidth, kHeight, kWidth};

    RestartSaverRandom();
    double t0 = SecondsNow();
    for (int i = 0; i < kTicks * 500; ++i)
        PerPixelDrip(slow_dc, kWidth, kHeight);
    const double slow = (SecondsNow() - t0) / kTicks;

    RestartSaverRandom();
    t0 = SecondsNow();
    for (int i = 0; i < kTicks * 500; ++i)
        DripFilter(buffer, kWidth, kHeight);
    const double fast = (SecondsNow() - t0) / kTicks;

    std::vector<uint32_t> slow_pixels(start.size());
    GetDIBits(slow_dc, slow_bitmap, 0, kHeight, slow_pixels.data(), &info, DIB_RGB_COLORS);
    size_t differ = 0, changed = 0;
    for (size_t i = 0; i < start.size(); ++i) {
        const uint32_t fast_pixel = buffer.pixels[i] & 0xFFFFFF;
        differ += (slow_pixels[i] & 0xFFFFFF) != fast_pixel;
        changed += (start[i] & 0xFFFFFF) != fast_pixel;
    }
    printf("melt, one tick (500 drips) on %d x %d, mean of %d ticks\n", kWidth, kHeight, kTicks);
    printf("  GetPixel/SetPixel: %10.3f ms\n", slow * 1000);
    printf("  kernel:            %10.3f ms\n", fast * 1000);
    printf("  ratio:             %10.1f x\n", slow / fast);
    printf("  pixels changed: %zu, pixels that differ between the two: %zu\n", changed, differ);
    DeleteDC(slow_dc);
    DeleteObject(slow_bitmap);
    DeleteObject(fast_bitmap);
    ReleaseDC(nullptr, screen);
    return differ == 0 && changed > 0 ? 0 : 1;
}
