// Times one tick of the melt (500 drips) on a 1920 x 1080 Backdrop two ways in one run, at the
// screen's own depth: through GetPixel/SetPixel on a bitmap compatible with the screen, one call
// per pixel, and with the saver's kernel on a DIB section's memory, keeping what the screen keeps.
// Both results go through a screen-compatible bitmap, so what is compared is what the screen
// would show; so does the kernel without the screen's colours, the figure before they were kept.
#include "common/saver_random.h"
#include "scene/melt.h"
#include "scene/pixel_format.h"
#include "scene/screen_colours.h"
#include "tools/benchmark_clock.h"
#include <cstdio>
#include <cstdlib>
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
// What the screen shows of 32-bit pixels: put into a screen-compatible bitmap and read back.
std::vector<uint32_t> AsShown(HDC screen, const uint32_t* pixels)
{
    BITMAPINFO info = TopDownPixels(kWidth, kHeight);
    HBITMAP shown = CreateCompatibleBitmap(screen, kWidth, kHeight);
    SetDIBits(screen, shown, 0, kHeight, pixels, &info, DIB_RGB_COLORS);
    std::vector<uint32_t> read(static_cast<size_t>(kWidth) * kHeight);
    GetDIBits(screen, shown, 0, kHeight, read.data(), &info, DIB_RGB_COLORS);
    DeleteObject(shown);
    return read;
}

struct Difference {
    size_t pixels;
    int largest; // channel difference
    double mean; // channel difference over the pixels that differ
};

Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    Difference d = {0, 0, 0};
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if ((a[i] & 0xFFFFFF) == (b[i] & 0xFFFFFF))
            continue;
        ++d.pixels;
        int largest = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int channel =
                abs(static_cast<int>(a[i] >> shift & 255) - static_cast<int>(b[i] >> shift & 255));
            largest = channel > largest ? channel : largest;
        }
        sum += largest;
        d.largest = largest > d.largest ? largest : d.largest;
    }
    d.mean = d.pixels > 0 ? sum / d.pixels : 0;
    return d;
}

double KernelTicks(PixelBuffer& buffer)
{
    RestartSaverRandom();
    const double t0 = SecondsNow();
    for (int i = 0; i < kTicks * 500; ++i)
        DripFilter(buffer, kWidth, kHeight);
    return (SecondsNow() - t0) / kTicks;
}
} // namespace

int main()
{
    std::vector<uint32_t> picture(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            picture[static_cast<size_t>(y) * kWidth + x] = static_cast<uint32_t>(
                (x * 255 / kWidth) << 16 | (y * 255 / kHeight) << 8 | ((x ^ y) & 255));

    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    BITMAPINFO info = TopDownPixels(kWidth, kHeight);

    // The per-pixel way: a bitmap compatible with the screen, holding the picture as the screen
    // holds it.
    HDC slow_dc = CreateCompatibleDC(screen);
    HBITMAP slow_bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    SetDIBits(screen, slow_bitmap, 0, kHeight, picture.data(), &info, DIB_RGB_COLORS);
    // The kernel starts from what a snapshot of that screen reads.
    const std::vector<uint32_t> start = AsShown(screen, picture.data());
    HGDIOBJ previous = SelectObject(slow_dc, slow_bitmap);

    static ScreenColours colours;
    const bool measured = ReadScreenColours(screen, colours);
    void* bits = nullptr;
    HBITMAP fast_bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    memcpy(bits, start.data(), start.size() * 4);
    PixelBuffer buffer = {static_cast<uint32_t*>(bits), kWidth, kHeight, kWidth, &colours};
    std::vector<uint32_t> plain = start;
    PixelBuffer plain_buffer = {plain.data(), kWidth, kHeight, kWidth, nullptr};

    RestartSaverRandom();
    double t0 = SecondsNow();
    for (int i = 0; i < kTicks * 500; ++i)
        PerPixelDrip(slow_dc, kWidth, kHeight);
    const double slow = (SecondsNow() - t0) / kTicks;
    const double fast = KernelTicks(buffer);
    const double fast_plain = KernelTicks(plain_buffer);

    SelectObject(slow_dc, previous);
    std::vector<uint32_t> slow_pixels(start.size());
    GetDIBits(screen, slow_bitmap, 0, kHeight, slow_pixels.data(), &info, DIB_RGB_COLORS);
    const Difference differ = Compare(slow_pixels, AsShown(screen, buffer.pixels));
    const Difference before = Compare(slow_pixels, AsShown(screen, plain.data()));
    const Difference changed = Compare(start, slow_pixels);

    printf("melt at depth %d, one tick (500 drips) on %d x %d, mean of %d ticks\n", depth, kWidth,
           kHeight, kTicks);
    printf("  screen's colours measured: %s\n", measured ? "yes" : "no");
    printf("  GetPixel/SetPixel:              %10.3f ms\n", slow * 1000);
    printf("  kernel:                         %10.3f ms\n", fast * 1000);
    printf("  kernel without screen colours:  %10.3f ms\n", fast_plain * 1000);
    printf("  ratio:                          %10.1f x\n", slow / fast);
    printf("  pixels the per-pixel melt changed: %zu\n", changed.pixels);
    printf("  pixels shown differently from it: %zu (largest channel difference %d)\n",
           differ.pixels, differ.largest);
    printf("  without the screen's colours:     %zu (largest %d, mean %.1f)\n", before.pixels,
           before.largest, before.mean);
    DeleteDC(slow_dc);
    DeleteObject(slow_bitmap);
    DeleteObject(fast_bitmap);
    ReleaseDC(nullptr, screen);
    return measured && differ.pixels == 0 && changed.pixels > 0 ? 0 : 1;
}
