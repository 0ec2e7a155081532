// End-to-end cases of the scene: the snapshot of the desktop, its border, the tremble and the
// melt, seen on the screen's pixels.
#include "harness.h"
#include <algorithm>
#include <cstdio>

namespace {
// Share of sampled inner pixels whose colour equals the test desktop's at an offset.
double MatchAtOffset(const Picture& shot, int dx, int dy)
{
    int matches = 0;
    int samples = 0;
    for (int y = 40; y < shot.height - 40; y += 7)
        for (int x = 40; x < shot.width - 40; x += 11) {
            ++samples;
            if (shot.At(x, y) == TestDesktopColour(x - dx, y - dy))
                ++matches;
        }
    return static_cast<double>(matches) / samples;
}

void SaverShowsTheDesktopItCovered()
{
    HWND desktop = ShowTestDesktop(TestDesktopColour);
    const Picture before = CaptureScreen();
    CHECK(MatchAtOffset(before, 0, 0) > 0.99);

    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    Saver saver = StartSaver("/s");
    HWND window = WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000);
    CHECK(window != nullptr);
    Pump(800);
    const Picture shot = CaptureScreen();
    double best = 0;
    for (int dy = -2; dy <= 1; ++dy)
        for (int dx = -2; dx <= 1; ++dx)
            best = std::max(best, MatchAtOffset(shot, dx, dy));
    CHECK(best > 0.95);

    PressKey(VK_SPACE);
    DWORD code = 0xDEAD;
    CHECK(WaitForExit(saver, 15000, &code));
    CHECK_EQ(code, 0ul);
    StopSaver(saver);
    DestroyWindow(desktop);
}

const TestCase cases[] = {
    {"scene.snapshot", SaverShowsTheDesktopItCovered},
};
const Registration registration(cases, sizeof cases / sizeof cases[0]);
} // namespace
