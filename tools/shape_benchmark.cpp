// Times building the three sign shapes two ways in one run, from the same loaded pictures:
// one region subtraction per black pixel, and the runs of each row turned into one region in
// one call. Checks that both give equal regions and prints both times (best of several rounds)
// and the ratio. The pictures are this program's own resources (the same .rc as purl.scr).
#include "scene/sign_image.h"
#include "tools/benchmark_clock.h"
#include "tools/shape_by_pixels.h"
#include <algorithm>
#include <cstdio>

namespace {
const int kRounds = 5;
} // namespace

int main()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HBITMAP bitmaps[3];
    BITMAP sizes[3];
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    for (int i = 0; i < 3; ++i) {
        bitmaps[i] = LoadBitmapA(instance, MAKEINTRESOURCEA(131 + i));
        GetObjectA(bitmaps[i], sizeof sizes[i], &sizes[i]);
    }

    double slow_time = 1e9, fast_time = 1e9;
    bool equal = true;
    for (int round = 0; round < kRounds; ++round) {
        HRGN slow[3], fast[3];
        double t0 = SecondsNow();
        for (int i = 0; i < 3; ++i) {
            HGDIOBJ previous = SelectObject(dc, bitmaps[i]);
            slow[i] = ShapeByPixelSubtraction(dc, sizes[i].bmWidth, sizes[i].bmHeight);
            SelectObject(dc, previous);
        }
        slow_time = std::min(slow_time, SecondsNow() - t0);

        t0 = SecondsNow();
        for (int i = 0; i < 3; ++i)
            fast[i] = ShapeOfBitmap(screen, bitmaps[i]);
        fast_time = std::min(fast_time, SecondsNow() - t0);

        for (int i = 0; i < 3; ++i) {
            const bool same = EqualRgn(slow[i], fast[i]) != 0;
            if (round == 0)
                printf(
                    "shape %d: %s (%lu rectangles)\n", 131 + i, same ? "equal" : "DIFFERENT",
                    static_cast<unsigned long>(GetRegionData(fast[i], 0, nullptr) / sizeof(RECT)));
            equal = equal && same;
            DeleteObject(slow[i]);
            DeleteObject(fast[i]);
        }
    }
    printf("the three sign shapes, from loaded pictures (best of %d rounds)\n", kRounds);
    printf("  one subtraction per black pixel: %10.3f ms\n", slow_time * 1000);
    printf("  runs, one region per picture:    %10.3f ms\n", fast_time * 1000);
    printf("  ratio:                           %10.1f x\n", slow_time / fast_time);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return equal ? 0 : 1;
}
