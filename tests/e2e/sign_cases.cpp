// End-to-end cases of the seven floating signs: their windows, shapes and first places, the
// creep and the jumps, how they look over the desktop, and the same signs in a preview.
#include "common/saver_random.h"
#include "harness.h"
#include "scene/sign.h"
#include "scene/sign_image.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace {
using signs = SaverCase;

const int kSizes[7][2] = {{320, 120}, {240, 90}, {240, 90}, {160, 60},
                          {160, 60},  {160, 60}, {160, 60}};

// The sign windows of a saver window in the order they were made: a new child window goes
// below its siblings, so that is the stacking order from the top.
std::vector<HWND> Signs(HWND saver_window)
{
    std::vector<HWND> signs;
    for (HWND sign = GetWindow(saver_window, GW_CHILD); sign != nullptr;
         sign = GetWindow(sign, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(sign, name, sizeof name);
        if (strcmp(name, "purlwindow") == 0)
            signs.push_back(sign);
    }
    return signs;
}

RECT PlaceIn(HWND sign, HWND saver_window)
{
    RECT rect;
    GetWindowRect(sign, &rect);
    MapWindowPoints(nullptr, saver_window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The signs once the saver window's creation is complete (it turns visible then): all seven
// made and placed, and the first tick still to come.
std::vector<HWND> WaitForSigns(HWND saver_window)
{
    WaitUntil([&] { return IsWindowVisible(saver_window) != FALSE; }, 15000);
    return Signs(saver_window);
}

// The first places that the first draws give in a parent of width x height on one screen.
std::vector<POINT> FirstPlaces(int width, int height)
{
    RestartSaverRandom();
    std::vector<POINT> places;
    for (int i = 0; i < 7; ++i) {
        const SignStart start = FirstSignPlace({0, 0, width, height}, {});
        places.push_back({start.x, start.y});
    }
    return places;
}

// A place in the saver window's client coordinates, on the screen.
RECT OnScreen(RECT place, HWND saver_window)
{
    MapWindowPoints(saver_window, nullptr, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Where the monitors show the whole window (one screen, a preview), the first places are the
// ones the draws give; elsewhere each has its top-left corner on a monitor.
void CheckWindowsAndFirstPlaces(const std::vector<HWND>& signs, HWND saver_window)
{
    RECT client;
    GetClientRect(saver_window, &client);
    const std::vector<POINT> places = FirstPlaces(client.right, client.bottom);
    ASSERT_EQ(signs.size(), static_cast<size_t>(7));
    std::vector<RECT> first; // read at once, before the first tick moves them
    for (HWND sign : signs)
        first.push_back(PlaceIn(sign, saver_window));
    const bool all_shown = OnMonitors(OnScreen(client, saver_window));
    for (size_t i = 0; i < signs.size(); ++i) {
        const RECT r = first[i];
        EXPECT_EQ(r.right - r.left, static_cast<long>(kSizes[i][0]));
        EXPECT_EQ(r.bottom - r.top, static_cast<long>(kSizes[i][1]));
        const RECT corner = OnScreen({r.left, r.top, r.left + 1, r.top + 1}, saver_window);
        if (all_shown)
            EXPECT_TRUE(r.left == places[i].x && r.top == places[i].y)
                << "sign " << i << " first placed at " << r.left << "," << r.top;
        else
            EXPECT_TRUE(OnMonitors(corner)) << "sign " << i << " first placed at " << r.left << ","
                                            << r.top << ", off the monitors";
        char title[32] = {};
        GetWindowTextA(signs[i], title, sizeof title);
        EXPECT_TRUE(strcmp(title, "purlchild") == 0);
        EXPECT_EQ(static_cast<unsigned long>(GetWindowLongA(signs[i], GWL_STYLE)) & 0xF0000000ul,
                  0x50000000ul);
        EXPECT_TRUE(GetWindowLongA(signs[i], GWL_EXSTYLE) & WS_EX_LAYERED);
    }
}

TEST_F(signs, seven_signs)
{
    ShowTestDesktop(TestDesktopColour);
    ParkPointer();
    Saver saver = StartSaver("/s");
    HWND window = WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000);
    ASSERT_NE(window, nullptr);
    const std::vector<HWND> signs = WaitForSigns(window);
    CheckWindowsAndFirstPlaces(signs, window);
    ASSERT_EQ(signs.size(), 7u);

    // Each sign's region is its picture's shape.
    HMODULE program = LoadLibraryExA(g_saver_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (int id = 131; id <= 133; ++id)
        EXPECT_EQ(LoadSignImage(program, id), 1);
    const int image_of[7] = {0, 1, 1, 2, 2, 2, 2};
    for (size_t i = 0; i < signs.size(); ++i) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_TRUE(GetWindowRgn(signs[i], region) != ERROR);
        if (!EqualRgn(region, sign_images[image_of[i]].shape))
            ADD_FAILURE() << ("sign " + std::to_string(i) + " region differs");
        DeleteObject(region);
    }
    // The large sign's grey body lies inside its shape: a bitmap made for a screen of 256
    // colours would have turned it black and cut it out.
    HBITMAP picture = static_cast<HBITMAP>(
        LoadImageA(program, MAKEINTRESOURCEA(131), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HDC picture_dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(picture_dc, picture);
    HRGN large = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(signs[0], large);
    int grey = 0, grey_inside = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 320; ++x) {
            const COLORREF c = GetPixel(picture_dc, x, y);
            if (c != RGB(0, 0, 0) && c != RGB(255, 255, 255)) {
                ++grey;
                grey_inside += PtInRegion(large, x, y) != 0;
            }
        }
    EXPECT_GT(grey, 1000);
    EXPECT_EQ(grey_inside, grey);
    DeleteObject(large);
    SelectObject(picture_dc, previous);
    DeleteDC(picture_dc);
    DeleteObject(picture);

    // Follow the signs for four seconds: every change is a creep of exactly one pixel to the
    // right, or a jump to a place wholly inside the window and on the monitors; every sign
    // jumps.
    RECT client;
    GetClientRect(window, &client);
    std::vector<RECT> last;
    for (HWND sign : signs)
        last.push_back(PlaceIn(sign, window));
    std::vector<int> creeps(signs.size(), 0), jumps(signs.size(), 0);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 4000) {
        Pump(20); // sampling the places
        for (size_t i = 0; i < signs.size(); ++i) {
            const RECT r = PlaceIn(signs[i], window);
            if (r.left == last[i].left && r.top == last[i].top)
                continue;
            if (r.left == last[i].left + 1 && r.top == last[i].top && jumps[i] == 0) {
                ++creeps[i];
            } else if (r.left != last[i].left + 1 || r.top != last[i].top) {
                ++jumps[i];
                EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right < client.right &&
                            r.bottom < client.bottom && OnMonitors(OnScreen(r, window)))
                    << "sign " << i << " jumped to " << r.left << "," << r.top;
            }
            last[i] = r;
        }
    }
    for (size_t i = 0; i < signs.size(); ++i) {
        if (creeps[i] < 3 || jumps[i] < 1)
            ADD_FAILURE() << ("sign " + std::to_string(i) + ": " + std::to_string(creeps[i]) +
                              " creeps, " + std::to_string(jumps[i]) + " jumps");
    }

    // On the screen: the whole picture inside the large sign's shape wherever no other sign
    // stands over it, the desktop around it. Only the sign's box is shot, twice, between two
    // ticks: shots of the whole screen of several monitors took so long that, with a tick's
    // drawing of it, two rarely came between the same ticks. The tries go on for some ticks.
    int checked = 0;
    const DWORD shots_start = GetTickCount();
    while (checked == 0 && GetTickCount() - shots_start < 5000) {
        Pump(20);
        const RECT before = PlaceIn(signs[0], window);
        std::vector<RECT> others;
        for (size_t i = 1; i < signs.size(); ++i)
            others.push_back(PlaceIn(signs[i], window));
        const RECT box = OnScreen(before, window);
        const Picture shot = CaptureRect(box.left, box.top, 320, 120);
        const Picture again = CaptureRect(box.left, box.top, 320, 120);
        const RECT after = PlaceIn(signs[0], window);
        if (memcmp(&before, &after, sizeof before) != 0 || shot.pixels != again.pixels)
            continue; // it moved, or a tick was being drawn, during the shot
        HDC dc = sign_images[0].dc;
        int inside_same = 0, inside = 0, around_lit = 0, around = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 320; ++x) {
                const int sx = before.left + x, sy = before.top + y;
                if (sx < 0 || sy < 0 || sx >= client.right || sy >= client.bottom)
                    continue;
                const POINT at = {sx, sy};
                if (std::any_of(others.begin(), others.end(),
                                [&](const RECT& r) { return PtInRect(&r, at); }))
                    continue;
                const COLORREF c = GetPixel(dc, x, y);
                const uint32_t expected =
                    ShownColour(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
                if (PtInRegion(sign_images[0].shape, x, y)) {
                    ++inside;
                    inside_same += shot.At(x, y) == expected;
                } else {
                    ++around;
                    around_lit += shot.At(x, y) != 0;
                }
            }
        checked = inside;
        EXPECT_TRUE(inside > 0);
        EXPECT_EQ(inside_same, inside);
        EXPECT_TRUE(around > 0 && around_lit > around * 95 / 100);
    }
    EXPECT_TRUE(checked > 0);
    FreeLibrary(program);

    EndWithKey(saver);
}

TEST_F(signs, preview)
{
    HWND host = MakeTestWindow("PurlSmallHost", nullptr, WS_POPUP, {100, 100, 252, 212});
    Saver saver = StartSaver("/p " + Decimal(host));
    HWND preview = WaitForWindow(host, kSaverClass, "Preview", 15000);
    ASSERT_NE(preview, nullptr);
    const std::vector<HWND> signs = WaitForSigns(preview);
    CheckWindowsAndFirstPlaces(signs, preview);
    ASSERT_EQ(signs.size(), 7u);
    // After their jumps every sign, larger than the preview or not, lies within its span. A
    // move that is not a creep of one pixel to the right is a jump.
    std::vector<RECT> last;
    for (HWND sign : signs)
        last.push_back(PlaceIn(sign, preview));
    std::vector<bool> jumped(signs.size(), false);
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (size_t i = 0; i < signs.size(); ++i) {
                const RECT r = PlaceIn(signs[i], preview);
                jumped[i] = jumped[i] || r.top != last[i].top ||
                            (r.left != last[i].left && r.left != last[i].left + 1);
                last[i] = r;
            }
            return std::count(jumped.begin(), jumped.end(), true) == 7;
        },
        10000));
    for (size_t i = 0; i < signs.size(); ++i) {
        const RECT r = PlaceIn(signs[i], preview);
        const int span_x = std::abs(152 - kSizes[i][0]), span_y = std::abs(112 - kSizes[i][1]);
        EXPECT_TRUE(r.left >= 0 && r.left <= span_x + 2 && r.top >= 0 && r.top <= span_y)
            << "sign " << i << " at " << r.left << "," << r.top;
    }
    DestroyWindow(host);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
}
} // namespace
