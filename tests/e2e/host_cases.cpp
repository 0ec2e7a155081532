// End-to-end cases of the saver host: command lines and exit codes, the full-screen window,
// the single-instance rule and the preview inside a host-made parent.
#include "harness.h"
#include <cstring>

namespace {
void BadCommandLinesExitWithMinusOne()
{
    struct Case {
        std::string arguments;
    } cases[] = {{"/x"},      {"/9"},    {"/p 0"}, {"/p 99999"},     {"/a"},
                 {"/a 1234"}, {"/\t s"}, {"/p"},   {"/l 4294967295"}};
    for (const Case& c : cases) {
        const DWORD code = RunToExit(c.arguments, 15000);
        if (code != 0xFFFFFFFFu)
            RecordFailure(__FILE__, __LINE__, "'" + c.arguments + "' exit " + std::to_string(code));
    }
    CHECK_EQ(CountTopLevelWindows(kSaverClass), 0);
}

// Starts /s and waits for its window, with the pointer parked where the saver will not move it.
HWND StartFullScreen(Saver& saver, const std::string& arguments = "/s")
{
    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    saver = StartSaver(arguments);
    HWND window = WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000);
    CHECK(window != nullptr);
    Pump(700);
    return window;
}

void EndWithKeyAndExpectZero(Saver& saver)
{
    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    PressKey(VK_SPACE);
    CHECK_EQ(WaitForEnd(saver), 0ul);
}

void FullScreenSaverCoversTheScreen()
{
    // Under Wine the cursor that GetCursorInfo reports is the foreground window's: an arrow
    // over the test desktop first, so the check below can tell a hidden cursor from none.
    HWND desktop = ShowTestDesktop(TestDesktopColour);
    SetForegroundWindow(desktop);
    MoveMouseTo(100, 100);
    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    CHECK(GetCursorInfo(&cursor));
    CHECK(cursor.hCursor != nullptr);
    Saver saver;
    HWND window = StartFullScreen(saver);
    if (window == nullptr) {
        StopSaver(saver);
        DestroyWindow(desktop);
        return;
    }
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG ex_style = GetWindowLongA(window, GWL_EXSTYLE);
    CHECK_EQ(static_cast<unsigned long>(style) & 0xD6000000ul, 0x96000000ul);
    CHECK(ex_style & WS_EX_TOPMOST);
    RECT rect;
    GetWindowRect(window, &rect);
    CHECK_EQ(rect.left, 0l);
    CHECK_EQ(rect.top, 0l);
    CHECK_EQ(rect.right, static_cast<long>(ScreenWidth()));
    CHECK_EQ(rect.bottom, static_cast<long>(ScreenHeight()));
    CHECK_EQ(CountTopLevelWindows(kSaverClass), 1);
    CHECK(IsWindowVisible(window));

    // The saver hides the cursor while it runs.
    CHECK(GetCursorInfo(&cursor));
    CHECK(cursor.hCursor == nullptr || !(cursor.flags & CURSOR_SHOWING));

    // The title stays whatever anyone sets.
    SetWindowTextA(window, "changed");
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    CHECK(strcmp(title, "Screen Saver") == 0);

    CHECK(IsRunning(saver));
    EndWithKeyAndExpectZero(saver);
    CHECK_EQ(CountTopLevelWindows(kSaverClass), 0);
    DestroyWindow(desktop);
}

void SecondSaverLeavesTheFirstRunning()
{
    Saver first;
    HWND window = StartFullScreen(first);
    const DWORD code = RunToExit("/s", 15000);
    CHECK_EQ(code, 0ul);
    CHECK(IsRunning(first));
    CHECK(IsWindow(window));
    CHECK_EQ(CountTopLevelWindows(kSaverClass), 1);
    EndWithKeyAndExpectZero(first);
}

struct Forwarded {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
Forwarded forwarded;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CONTEXTMENU || message == WM_HELP) {
        forwarded = {message, wparam, lparam};
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// A stand-in for the settings page's preview box: a window whose client area is 152 x 112.
HWND MakePreviewHost()
{
    RECT frame = {0, 0, 152, 112};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
    OffsetRect(&frame, 200 - frame.left, 150 - frame.top);
    return MakeTestWindow("PurlTestHost", HostProc, WS_POPUP | WS_BORDER, frame);
}

void PreviewFillsItsParentAndIgnoresInput()
{
    for (const char* letter : {"/p ", "/l "}) {
        HWND host = MakePreviewHost();
        Saver saver = StartSaver(letter + Decimal(host));
        HWND preview = WaitForWindow(host, kSaverClass, "Preview", 15000);
        CHECK(preview != nullptr);
        Pump(500); // the window turns visible once its creation is complete
        if (preview != nullptr) {
            CHECK_EQ(static_cast<unsigned long>(GetWindowLongA(preview, GWL_STYLE)) & 0xD2000000ul,
                     0x52000000ul);
            CHECK_EQ(GetWindowLongA(preview, GWL_EXSTYLE) & WS_EX_TOPMOST, 0l);
            RECT inner;
            GetClientRect(preview, &inner);
            CHECK_EQ(inner.right, 152l);
            CHECK_EQ(inner.bottom, 112l);
            CHECK_EQ(CountTopLevelWindows(kSaverClass), 0);

            // Input over the preview does not end it. Keys and clicks go to the preview's
            // own window: real key presses would go to the focused window instead.
            MoveMouseTo(260, 200);
            MoveMouseBy(20, 20);
            CHECK(PostMessageA(preview, WM_KEYDOWN, VK_SPACE, 0x00390001));
            CHECK(PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30)));
            CHECK(PostMessageA(preview, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 30)));
            Pump(1200);
            CHECK(IsRunning(saver));

            // A right-click's context menu goes to the host, naming the host itself.
            forwarded = {};
            CHECK_EQ(SendMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview),
                                  MAKELPARAM(7, 9)),
                     1ll);
            Pump(300);
            CHECK_EQ(forwarded.message, static_cast<UINT>(WM_CONTEXTMENU));
            CHECK(forwarded.wparam == reinterpret_cast<WPARAM>(host));
            CHECK_EQ(forwarded.lparam, static_cast<LPARAM>(MAKELPARAM(7, 9)));
        }
        // The host closing its page destroys the preview, which ends the process with 0.
        DestroyWindow(host);
        CHECK_EQ(WaitForEnd(saver), 0ul);
    }
}

const TestCase cases[] = {
    {"host.bad_command_lines", BadCommandLinesExitWithMinusOne},
    {"host.full_screen_window", FullScreenSaverCoversTheScreen},
    {"host.second_saver", SecondSaverLeavesTheFirstRunning},
    {"host.preview", PreviewFillsItsParentAndIgnoresInput},
};
const Registration registration(cases, sizeof cases / sizeof cases[0]);
} // namespace
