// End-to-end cases of the saver host: command lines and exit codes, the full-screen window,
// the single-instance rule and the preview inside a host-made parent.
#include "harness.h"
#include <cstring>

namespace {
using host = SaverCase;

// A window's DPI awareness (DPI_AWARENESS: 0 unaware, 2 per monitor), or -1 where the system
// lacks the calls.
int DpiAwareness(HWND window)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    const auto context_of = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetWindowDpiAwarenessContext")));
    const auto awareness_of = reinterpret_cast<int(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    return context_of && awareness_of ? awareness_of(context_of(window)) : -1;
}

TEST_F(host, bad_command_lines)
{
    struct Case {
        std::string arguments;
    } cases[] = {{"/x"},      {"/9"},    {"/p 0"}, {"/p 99999"},     {"/a"},
                 {"/a 1234"}, {"/\t s"}, {"/p"},   {"/l 4294967295"}};
    for (const Case& c : cases) {
        EXPECT_EQ(RunToExit(c.arguments, 15000), 0xFFFFFFFFul) << "'" << c.arguments << "'";
    }
    EXPECT_EQ(CountTopLevelWindows(kSaverClass), 0);
}

TEST_F(host, full_screen_window)
{
    // Under Wine the cursor that GetCursorInfo reports is the foreground window's: an arrow
    // over the test desktop first, so the check below can tell a hidden cursor from none.
    HWND desktop = ShowTestDesktop(TestDesktopColour);
    SetForegroundWindow(desktop);
    MoveMouseTo(100, 100);
    ParkPointer();
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    EXPECT_TRUE(GetCursorInfo(&cursor));
    EXPECT_NE(cursor.hCursor, nullptr);
    Saver saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG ex_style = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_EQ(static_cast<unsigned long>(style) & 0xD6000000ul, 0x96000000ul);
    EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
    // It covers every monitor: the whole virtual screen.
    RECT rect;
    GetWindowRect(window, &rect);
    const RECT box = VirtualScreen();
    EXPECT_TRUE(EqualRect(&rect, &box))
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    EXPECT_EQ(CountTopLevelWindows(kSaverClass), 1);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(DpiAwareness(window), 2); // per monitor, as its manifest says

    // The saver hides the cursor while it runs.
    EXPECT_TRUE(GetCursorInfo(&cursor));
    EXPECT_TRUE(cursor.hCursor == nullptr || !(cursor.flags & CURSOR_SHOWING));

    // The title stays whatever anyone sets.
    SetWindowTextA(window, "changed");
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_TRUE(strcmp(title, "Screen Saver") == 0);

    EXPECT_TRUE(IsRunning(saver));
    EndWithKey(saver);
    EXPECT_EQ(CountTopLevelWindows(kSaverClass), 0);
}

TEST_F(host, second_saver)
{
    Saver first;
    HWND window = StartFullScreen(first);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(RunToExit("/s", 15000), 0ul);
    EXPECT_TRUE(IsRunning(first));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(CountTopLevelWindows(kSaverClass), 1);
    EndWithKey(first);
}

struct Forwarded {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    HELPINFO help; // what a WM_HELP pointed to, read in the host's own process
};
Forwarded forwarded;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CONTEXTMENU || message == WM_HELP) {
        forwarded = {message, wparam, lparam, {}};
        if (message == WM_HELP)
            forwarded.help = *reinterpret_cast<const HELPINFO*>(lparam);
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

// A host page made by a thread that is not DPI aware, as an old settings page is.
HWND MakeUnawareHost()
{
    const auto set_context = reinterpret_cast<HANDLE(WINAPI*)(HANDLE)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("USER32.DLL"), "SetThreadDpiAwarenessContext")));
    HANDLE previous = set_context ? set_context(reinterpret_cast<HANDLE>(-1)) : nullptr;
    HWND page = MakePreviewHost();
    if (previous != nullptr)
        set_context(previous);
    return page;
}

TEST_F(host, preview)
{
    for (const char* letter : {"/p ", "/l "}) {
        HWND page = MakeUnawareHost();
        Saver saver = StartSaver(letter + Decimal(page));
        HWND preview = WaitForWindow(page, kSaverClass, "Preview", 15000);
        ASSERT_NE(preview, nullptr);
        // The window turns visible once its creation is complete.
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(preview) != FALSE; }, 15000));
        EXPECT_EQ(static_cast<unsigned long>(GetWindowLongA(preview, GWL_STYLE)) & 0xD2000000ul,
                  0x52000000ul);
        EXPECT_EQ(GetWindowLongA(preview, GWL_EXSTYLE) & WS_EX_TOPMOST, 0l);
        // Inside a host that is not DPI aware it still fills the host exactly. (Wine gives a
        // child its parent's awareness whatever its thread's, so the preview's own taking of
        // its host's awareness shows nothing here.)
        RECT inner;
        GetClientRect(preview, &inner);
        EXPECT_EQ(inner.right, 152l);
        EXPECT_EQ(inner.bottom, 112l);
        EXPECT_EQ(CountTopLevelWindows(kSaverClass), 0);

        // Input over the preview does not end it. Keys and clicks go to the preview's
        // own window: real key presses would go to the focused window instead.
        MoveMouseTo(260, 200);
        MoveMouseBy(20, 20);
        EXPECT_TRUE(PostMessageA(preview, WM_KEYDOWN, VK_SPACE, 0x00390001));
        EXPECT_TRUE(PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30)));
        EXPECT_TRUE(PostMessageA(preview, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 30)));
        Pump(1200); // an ending would show by then
        EXPECT_TRUE(IsRunning(saver));

        // A right-click's context menu goes to the host, naming the host itself.
        forwarded = {};
        EXPECT_EQ(SendMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview),
                               MAKELPARAM(7, 9)),
                  1ll);
        EXPECT_TRUE(WaitUntil([] { return forwarded.message != 0; }, 3000));
        EXPECT_EQ(forwarded.message, static_cast<UINT>(WM_CONTEXTMENU));
        EXPECT_TRUE(forwarded.wparam == reinterpret_cast<WPARAM>(page));
        EXPECT_EQ(forwarded.lparam, static_cast<LPARAM>(MAKELPARAM(7, 9)));

        // So does help, with a HELPINFO the host can read.
        forwarded = {};
        HELPINFO help = {sizeof help, HELPINFO_WINDOW, 3, preview, 77, {11, 22}};
        EXPECT_EQ(SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1ll);
        EXPECT_TRUE(WaitUntil([] { return forwarded.message != 0; }, 3000));
        EXPECT_EQ(forwarded.message, static_cast<UINT>(WM_HELP));
        EXPECT_TRUE(forwarded.wparam == reinterpret_cast<WPARAM>(page));
        EXPECT_EQ(forwarded.help.cbSize, sizeof help);
        EXPECT_EQ(forwarded.help.iCtrlId, 3);
        EXPECT_EQ(forwarded.help.dwContextId, 77u);
        EXPECT_EQ(forwarded.help.MousePos.x, 11l);
        EXPECT_EQ(forwarded.help.MousePos.y, 22l);
        // The host closing its page destroys the preview, which ends the process with 0.
        DestroyWindow(page);
        EXPECT_EQ(WaitForEnd(saver), 0ul);
    }
}
} // namespace
