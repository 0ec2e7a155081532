// End-to-end cases of the scene: the snapshot of the desktop with its black border, the
// tremble, the melt seen on the screen's pixels, the frames of drawn and painted ticks, the
// preview's picture and tiny previews.
#include "common/saver_random.h"
#include "harness.h"
#include "scene/sign.h"
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

namespace {
using scene = SaverCase;

struct Offset {
    int dx;
    int dy;
    double match; // share of sampled pixels equal to the expected picture at this offset
};

// The share of sampled pixels of an area of a shot (all of it by default) that equal a picture
// (colour_at, in the shot's own coordinates before the offset) at an offset.
double MatchAt(const Picture& shot, uint32_t (*colour_at)(int, int), int dx, int dy,
               RECT area = {0, 0, 1 << 30, 1 << 30})
{
    int matches = 0, samples = 0;
    for (int y = std::max(3l, area.top); y < std::min<long>(shot.height - 3, area.bottom); y += 3)
        for (int x = std::max(3l, area.left); x < std::min<long>(shot.width - 3, area.right);
             x += 5) {
            if (shot.At(x, y) == kUnderSign)
                continue;
            ++samples;
            matches += shot.At(x, y) == colour_at(x - dx, y - dy);
        }
    return samples ? static_cast<double>(matches) / samples : 0;
}

// The tremble offset at which a shot best matches a picture.
Offset BestOffset(const Picture& shot, uint32_t (*colour_at)(int, int))
{
    Offset best = {0, 0, -1};
    for (int dy = -2; dy <= 1; ++dy)
        for (int dx = -2; dx <= 1; ++dx) {
            const double match = MatchAt(shot, colour_at, dx, dy);
            if (match > best.match)
                best = {dx, dy, match};
        }
    return best;
}

// The test desktop as the screen shows it, captured before the saver starts: on a screen of 16
// bits each channel keeps 5 bits, so the copy and the melt are compared with this.
Picture desktop_shown;

uint32_t DesktopShown(int x, int y)
{
    x = std::clamp(x, 0, desktop_shown.width - 1);
    y = std::clamp(y, 0, desktop_shown.height - 1);
    return desktop_shown.At(x, y);
}

// How far a channel may lie from what was drawn: nothing on a screen of 24 bits or more, nor on
// one of 256 colours (which shows the nearest of its palette's colours exactly); on one of 16,
// what 5 bits a channel lose (and under Wine such a screen is 5-6-5 while its compatible
// bitmaps, whose 5 bits the drips keep, are 5-5-5).
int ChannelTolerance()
{
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits >= 24 || bits <= 8 ? 0 : 7;
}

// The number of colours in a shot, but for what signs hide.
size_t DistinctColours(const Picture& shot)
{
    std::vector<uint32_t> colours = shot.pixels;
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    return colours.size() - std::count(colours.begin(), colours.end(), kUnderSign);
}

// Shows the test desktop and keeps what the screen shows of it, checked against what was drawn.
// A screen of 256 colours shows the desktop in some of its static colours (by Wine's choice).
void ShowTheDesktop()
{
    ShowTestDesktop(TestDesktopColour);
    desktop_shown = CaptureScreen();
    if (PaletteScreen()) {
        EXPECT_GT(DistinctColours(desktop_shown), 8u) << "the test desktop is not on the screen";
        return;
    }
    const int tolerance = ChannelTolerance();
    int close = 0, samples = 0;
    for (int y = 0; y < desktop_shown.height; y += 3)
        for (int x = 0; x < desktop_shown.width; x += 5) {
            const uint32_t shown = desktop_shown.At(x, y), drawn = TestDesktopColour(x, y);
            bool within = true;
            for (int c = 0; c < 3; ++c)
                within = within && std::abs(static_cast<int>(shown >> (8 * c) & 255) -
                                            static_cast<int>(drawn >> (8 * c) & 255)) <= tolerance;
            close += within;
            ++samples;
        }
    EXPECT_GT(close, samples * 0.999) << "the test desktop is not on the screen";
}

// Each monitor, in a shot's coordinates.
std::vector<RECT> MonitorsInShot()
{
    const RECT box = VirtualScreen();
    std::vector<RECT> monitors = Monitors();
    for (RECT& m : monitors)
        OffsetRect(&m, -box.left, -box.top);
    return monitors;
}

// The screen once the saver's copy of the desktop stands on it: it matches the desktop at an
// offset, with the copy's black left or right edge beside it. (Under Wine the picture of the
// window's first paint may not reach the screen; the first tick's drawing does.)
Picture WaitForTheCopy(HWND window, Offset* offset)
{
    Picture shot = {};
    const bool shown = WaitUntil(
        [&] {
            shot = CaptureScreenWithoutSigns(window);
            *offset = BestOffset(shot, DesktopShown);
            const int column = offset->dx >= 0 ? offset->dx : shot.width - 1 + offset->dx;
            for (int y = 2; y < shot.height - 2; ++y)
                if (shot.At(column, y) != kUnderSign && shot.At(column, y) != 0)
                    return false;
            return offset->match > 0.9;
        },
        5000);
    EXPECT_TRUE(shown) << "best match " << offset->match;
    return shot;
}

// The one-pixel black border of the copy, seen at the offset (where no sign covers it). The
// left or the right edge is on the screen whatever the offset, and stays black (its drips pull
// black into black). The top edge is checked when the offset shows it; the bottom edge lies
// inside runs and melts.
void CheckBorder(const Picture& shot, Offset offset)
{
    const int column = offset.dx >= 0 ? offset.dx : shot.width - 1 + offset.dx;
    int black = 0, seen = 0;
    for (int y = 2; y < shot.height - 2; ++y) {
        seen += shot.At(column, y) != kUnderSign;
        black += shot.At(column, y) == 0;
    }
    EXPECT_TRUE(seen > shot.height / 4);
    EXPECT_EQ(black, seen);
    if (offset.dy >= 0) {
        black = seen = 0;
        for (int x = 2; x < shot.width - 2; ++x) {
            seen += shot.At(x, offset.dy) != kUnderSign;
            black += shot.At(x, offset.dy) == 0;
        }
        EXPECT_TRUE(seen > shot.width / 4);
        EXPECT_EQ(black, seen);
    }
}

// A shot of the melting copy against the desktop it started from (screen minus the offset).
struct Melt {
    Offset offset;
    int changed;
    long long brightness_before;
    long long brightness_after;
    int brighter_than_above; // channels brighter than any original one at or above them (by
                             // more than a 16-bit screen's channel tolerance)
};

Melt CompareWithTheDesktop(const Picture& shot)
{
    Melt melt = {BestOffset(shot, DesktopShown), 0, 0, 0, 0};
    const uint32_t tolerance = static_cast<uint32_t>(ChannelTolerance());
    for (int x = 3; x < shot.width - 3; ++x) {
        uint32_t max_above[3] = {0, 0, 0}; // brightest original channel at or above, this column
        for (int y = 1; y < shot.height - 3; ++y) {
            const uint32_t original = DesktopShown(x, y);
            const int sx = x + melt.offset.dx, sy = y + melt.offset.dy;
            if (sy < 0)
                continue;
            const uint32_t now = shot.At(sx, sy);
            if (now == kUnderSign) {
                for (int c = 0; c < 3; ++c) // what a sign hides still bounds what lies below
                    max_above[c] = std::max(max_above[c], original >> (8 * c) & 255);
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                const uint32_t o = original >> (8 * c) & 255, n = now >> (8 * c) & 255;
                max_above[c] = std::max(max_above[c], o);
                melt.brightness_before += o;
                melt.brightness_after += n;
                melt.brighter_than_above += n > max_above[c] + tolerance;
            }
            melt.changed += now != original;
        }
    }
    return melt;
}

TEST_F(scene, snapshot_and_melt)
{
    ShowTheDesktop();

    Saver saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    Offset first_offset = {};
    const Picture first = WaitForTheCopy(window, &first_offset);
    EXPECT_GT(first_offset.match, 0.95);
    // About as many colours as the desktop showed (the signs hide some of it): a picture held
    // to fewer colours than the screen shows keeps a small share of them.
    EXPECT_GT(DistinctColours(first), DistinctColours(desktop_shown) * 3 / 4);
    CheckBorder(first, first_offset);
    // Each monitor shows its own part of the desktop.
    for (const RECT& m : MonitorsInShot())
        EXPECT_GT(MatchAt(first, DesktopShown, first_offset.dx, first_offset.dy, m), 0.95)
            << "the monitor at " << m.left << "," << m.top;

    // Melted down as far as about a dozen ticks (6,000 drips) melt one 1024 x 768 screen: a
    // twentieth of its pixels changed and 1 % of its brightness lost. The drips spread over the
    // whole box of the monitors, so a larger box takes longer. It never grows brighter than
    // what lay above.
    const double screens = first.width * static_cast<double>(first.height) / (1024 * 768);
    Picture later = first;
    Melt melt = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            later = CaptureScreenWithoutSigns(window);
            melt = CompareWithTheDesktop(later);
            return melt.changed > 1024 * 768 / 20 &&
                   melt.brightness_after < melt.brightness_before * (1 - 0.01 / screens);
        },
        20000))
        << melt.changed << " changed, brightness " << melt.brightness_after << " of "
        << melt.brightness_before;
    EXPECT_GT(melt.offset.match, 0.3);
    CheckBorder(later, melt.offset);
    EXPECT_EQ(melt.brighter_than_above, 0);
    // The melt runs over every monitor.
    for (const RECT& m : MonitorsInShot())
        EXPECT_LT(MatchAt(later, DesktopShown, melt.offset.dx, melt.offset.dy, m), 0.99)
            << "the monitor at " << m.left << "," << m.top;
    EndWithKey(saver);
}

// Whether a row of a shot near the given one (give or take the tremble) is black but for signs.
bool BlackLineNear(const Picture& shot, int row)
{
    for (int y = std::max(0, row - 2); y < std::min(shot.height, row + 3); ++y) {
        int black = 0, seen = 0;
        for (int x = 0; x < shot.width; ++x) {
            seen += shot.At(x, y) != kUnderSign;
            black += shot.At(x, y) == 0;
        }
        if (seen > 0 && black > seen * 9 / 10)
            return true;
    }
    return false;
}

// The cases of a layout that changes while the saver runs; the first layout comes back after.
class display : public SaverCase {
  protected:
    void TearDown() override
    {
        SaverCase::TearDown();
        RestoreDisplay();
    }
};

// The desktop's colour, which a newly shown part takes when the saver follows in
// WM_DISPLAYCHANGE (Windows may not have drawn the desktop there yet).
uint32_t desktop_background;
uint32_t DesktopBackground(int, int)
{
    return desktop_background;
}

// Whether a sign that stood whole on the primary before a change stands at the same place on the
// screen after it, but for a creep; false also when none stood there.
bool ASignKeptItsPlace(const std::vector<RECT>& before, const std::vector<RECT>& after)
{
    const RECT primary = {0, 0, ScreenWidth(), ScreenHeight()};
    for (const RECT& b : before) {
        RECT inside;
        if (!IntersectRect(&inside, &b, &primary) || !EqualRect(&inside, &b))
            continue;
        for (const RECT& a : after)
            if (a.top == b.top && a.left >= b.left && a.left <= b.left + 4)
                return true;
    }
    return false;
}

// Each step of the layout's display changes: the window follows; a part newly shown takes the
// desktop's colour (a copy of the screen could catch it undrawn, black) and melts, while the
// rest keeps its melted picture rather than a fresh copy; a sign on the primary keeps its place on
// the screen when the primary stays as it was, the box's origin moving or not; a key still ends the
// saver with 0 after them all.
TEST_F(display, follows_changes)
{
    const std::vector<std::string> steps = DisplaySteps();
    if (steps.empty())
        GTEST_SKIP() << "no display changes for this layout";
    ShowTheDesktop();
    const COLORREF background = GetSysColor(COLOR_DESKTOP);
    desktop_background =
        GetRValue(background) << 16 | GetGValue(background) << 8 | GetBValue(background);
    ASSERT_NE(desktop_background, 0u) << "the desktop's background is black: it would hide a gap";
    const RECT first_box = VirtualScreen();
    Saver saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    const RECT primary = {0, 0, ScreenWidth(), ScreenHeight()};
    RECT primary_in_shot = primary;
    OffsetRect(&primary_in_shot, -first_box.left, -first_box.top);
    Offset offset = {};
    ASSERT_TRUE(WaitUntil(
        [&] {
            const Picture shot = CaptureScreenWithoutSigns(window);
            offset = BestOffset(shot, DesktopShown);
            return MatchAt(shot, DesktopShown, offset.dx, offset.dy, primary_in_shot) < 0.98;
        },
        20000))
        << "the primary's picture did not melt";
    int signs_checked = 0;
    for (const std::string& step : steps) {
        SCOPED_TRACE("xrandr " + step);
        const RECT before = VirtualScreen();
        const SIZE primary_before = {ScreenWidth(), ScreenHeight()};
        const std::vector<RECT> signs_before = SignRects(window);
        ASSERT_TRUE(ChangeDisplay(step, 10000)) << "the layout did not change";
        CheckFollowsDisplay(saver, window);
        if (primary_before.cx == ScreenWidth() && primary_before.cy == ScreenHeight() &&
            ASignKeptItsPlace(signs_before, SignRects(window)))
            ++signs_checked;
        Pump(1000); // a held move is judged after half a second; an ending would show by then
        EXPECT_TRUE(IsRunning(saver));
        const RECT after = VirtualScreen();
        if (after.bottom > before.bottom) {
            EXPECT_FALSE(
                BlackLineNear(CaptureScreenWithoutSigns(window), before.bottom - 1 - after.top))
                << "the old picture's bottom edge stays as a black seam";
        }
        // The desktop picture's coordinates are the first box's: compare where it stands still.
        RECT shown = {}, common;
        for (const RECT& m : Monitors())
            if (!IntersectRect(&common, &m, &before))
                shown = m;
        if (!EqualRect(&after, &first_box) || IsRectEmpty(&shown))
            continue;
        const Picture shot = CaptureScreenWithoutSigns(window);
        offset = BestOffset(shot, DesktopShown);
        OffsetRect(&shown, -first_box.left, -first_box.top);
        EXPECT_GT(MatchAt(shot, DesktopBackground, 0, 0, shown), 0.9)
            << "the newly shown part does not show the desktop's colour";
        EXPECT_LT(MatchAt(shot, DesktopShown, offset.dx, offset.dy, primary_in_shot), 0.99)
            << "the primary shows a fresh copy, not its melted picture";
        EXPECT_TRUE(WaitUntil(
            [&] {
                const Picture later = CaptureScreenWithoutSigns(window);
                const Offset at = BestOffset(later, DesktopShown);
                return MatchAt(later, DesktopBackground, at.dx, at.dy, shown) < 0.98;
            },
            20000))
            << "the newly shown part does not melt";
    }
    EXPECT_GT(signs_checked, 0) << "no sign on the primary kept its place through a change";
    // The pointer stays where the last step left it: a move would end the saver too.
    PressKey(VK_SPACE);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
}

uint32_t HostColour(int x, int y)
{
    return TestDesktopColour(x * 5 + 300, y * 5 + 200);
}

LRESULT CALLBACK PaintedHostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                const uint32_t c = HostColour(x, y);
                SetPixel(dc, x, y, RGB(c >> 16, (c >> 8) & 255, c & 255));
            }
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND MakePaintedHost(int client_width, int client_height)
{
    return MakeTestWindow("PurlPaintedHost", PaintedHostProc, WS_POPUP | WS_CLIPCHILDREN,
                          {300, 200, 300 + client_width, 200 + client_height});
}

// Under Wine a child window drawn by one process inside another process's window never reaches
// the screen (checked: a red square painted by the preview stays invisible), so this case hands
// the preview the desktop window as its parent, whose children Wine does show. The preview then
// copies the part of the screen it covers: here the whole test desktop.
TEST_F(scene, preview_picture)
{
    ShowTheDesktop();
    HWND host = GetDesktopWindow();
    Saver saver = StartSaver("/p " + Decimal(host));
    HWND preview = WaitForWindow(host, kSaverClass, "Preview", 15000);
    ASSERT_NE(preview, nullptr);
    // Shown and painted: the copy with its black border stands over the desktop.
    Offset offset = {};
    const Picture shot = WaitForTheCopy(preview, &offset);
    EXPECT_GT(offset.match, 0.9);
    CheckBorder(shot, offset);
    PostMessageA(preview, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
}

TEST_F(scene, tiny_previews)
{
    for (int size : {0, 1, 2}) {
        HWND host = MakePaintedHost(size, size);
        Saver saver = StartSaver("/p " + Decimal(host));
        Pump(2500); // a few ticks: drips and paints on the tiny picture
        EXPECT_TRUE(IsRunning(saver)) << "size " << size;
        DestroyWindow(host);
        EXPECT_EQ(WaitForEnd(saver), 0ul) << "size " << size;
    }
}

// The Backdrop's frames a saver shows over its first ticks (the signs masked), by tick: the first
// settled shot taken within each tick, the desktop itself left out. A tick that no shot caught (a
// slow machine) is missing, not mistaken for the next.
std::map<long, Picture> SettledFrames(const std::string& program, const Picture& desktop)
{
    Saver saver;
    std::map<long, Picture> frames;
    // Shown once its creation is complete: the signs stand in their first places.
    HWND window = StartFullScreen(saver, program, "/s");
    if (window == nullptr) {
        ADD_FAILURE() << (program + ": no saver window shown");
        StopSaver(saver);
        return frames;
    }
    // The ticks so far, from the large sign's creep of one pixel a tick from its first place.
    // Up to tick 4 no sign relocates (none starts its clock above 491 ms), so every run draws
    // the same numbers for the same ticks, however slow the saver or the shots; frames are kept
    // until tick 5.
    HWND large = nullptr;
    for (HWND sign = FindWindowExA(window, nullptr, "purlwindow", nullptr); sign != nullptr;
         sign = FindWindowExA(window, sign, "purlwindow", nullptr)) {
        RECT r;
        GetWindowRect(sign, &r);
        if (r.right - r.left == 320)
            large = sign;
    }
    if (large == nullptr)
        ADD_FAILURE() << (program + ": no large sign");
    RECT client = {};
    GetClientRect(window, &client);
    RestartSaverRandom();
    const long first_left = FirstSignPlace({0, 0, client.right, client.bottom}, {}).x;
    const auto ticks = [&] {
        RECT r = {};
        GetWindowRect(large, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r.left - first_left;
    };
    const DWORD start = GetTickCount();
    while (large != nullptr && ticks() >= 0 && ticks() < 5 && GetTickCount() - start < 15000) {
        // The shot waits until the signs stand still, so it is not taken while a tick draws;
        // the tick is read before and after it.
        const long tick = ticks();
        // One frame a tick: a further shot would run into the next tick and, discarded, leave
        // too little of it for its own shot (a shot and its wait take about half a tick here).
        if (frames.count(tick) != 0) {
            Pump(10);
            continue;
        }
        Picture shot = CaptureScreenWithoutSigns(window);
        if (ticks() == tick && shot.pixels != desktop.pixels && !MostlyBlack(shot))
            frames[tick] = std::move(shot); // a black window is one that has not painted yet
        Pump(20);
    }
    if (frames.empty())
        ADD_FAILURE() << program << ": no frame by tick " << (large != nullptr ? ticks() : -1);
    EndWithKey(saver);
    return frames;
}

// Whether a frame is only another shifted by a tremble offset, with no drip drawn between them.
bool OnlyShifted(const Picture& later, const Picture& earlier)
{
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            bool same = true;
            for (int y = 4; y < later.height - 4 && same; ++y)
                for (int x = 4; x < later.width - 4 && same; ++x) {
                    const uint32_t a = later.At(x, y), b = earlier.At(x + dx, y + dy);
                    same = a == kUnderSign || b == kUnderSign || a == b;
                }
            if (same)
                return true;
        }
    return false;
}

// Drawing the tick at once shows, tick by tick, exactly the Backdrop that invalidating the window
// and painting it at WM_PAINT showed: the melt and the tremble offsets, around signs that stand
// in the same places. (The signs' own pixels are checked in signs.seven_signs: under Wine the
// painted tick left each creeping sign's right edge unrepainted.) Ticks 1 to 4 are compared;
// before the first, a slow start may show a window exposed and painted once more in one run.
TEST_F(scene, tick_redraw_frames)
{
    ShowTestDesktop(TestDesktopColour);
    const Picture before = CaptureScreen();
    std::string reference = g_saver_path;
    reference.replace(reference.rfind("purl.scr"), 8, "purl_paint_reference.scr");
    const std::map<long, Picture> painted = SettledFrames(reference, before);
    const std::map<long, Picture> drawn = SettledFrames(g_saver_path, before);
    size_t compared = 0, pairs = 0, melted = 0;
    const Picture* previous = nullptr;
    for (long tick = 1; tick < 5; ++tick) {
        const auto p = painted.find(tick), d = drawn.find(tick);
        if (p == painted.end() || d == drawn.end()) {
            previous = nullptr;
            continue;
        }
        ++compared;
        EXPECT_TRUE(p->second.pixels == d->second.pixels) << "tick " << tick << " differs";
        if (previous != nullptr) {
            ++pairs;
            melted += !OnlyShifted(d->second, *previous);
        }
        previous = &d->second;
    }
    std::string caught;
    for (const auto& frame : painted)
        caught += " p" + std::to_string(frame.first);
    for (const auto& frame : drawn)
        caught += " d" + std::to_string(frame.first);
    EXPECT_GE(compared, 3u) << "ticks caught:" << caught;
    // Each tick melts the picture further, beyond moving it to a new tremble offset.
    EXPECT_GE(pairs, 1u);
    EXPECT_EQ(melted, pairs) << melted << " of " << pairs << " ticks after another melted";
}
} // namespace
