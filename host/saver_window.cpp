// The saver window and the message loop: creation and destruction chores, the fixed title,
// swallowed system commands, no ticks or input for the scene once closing is granted, and the
// full-screen saver following the screens when they change.
#include "host/saver_window.h"
#include "common/saver_state.h"
#include "host/dismissal_filter.h"
#include "host/password_hooks.h"
#include "host/saver_window_route.h"
#include "scene/scene_controller.h"

namespace {
const char kSaverClass[] = "WindowsScreenSaverClass";
const char kSaverTitle[] = "Screen Saver";
const char kPreviewTitle[] = "Preview";

using ImmAssociateContextFn = HANDLE(WINAPI*)(HWND, HANDLE);

void DetachInputMethod(HWND window)
{
    g_saver.imm_module = GetModuleHandleA("IMM32.DLL");
    if (g_saver.imm_module == nullptr)
        return;
    g_saver.imm_associate_context = reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(g_saver.imm_module), "ImmAssociateContext"));
    if (g_saver.imm_associate_context != nullptr)
        g_saver.saved_ime_context =
            reinterpret_cast<ImmAssociateContextFn>(g_saver.imm_associate_context)(window, nullptr);
}

void RestoreInputMethod(HWND window)
{
    if (g_saver.imm_module != nullptr && g_saver.imm_associate_context != nullptr &&
        g_saver.saved_ime_context != nullptr)
        reinterpret_cast<ImmAssociateContextFn>(g_saver.imm_associate_context)(
            window, g_saver.saved_ime_context);
}

LRESULT OnCreate(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    DetachInputMethod(window);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    g_saver.last_cursor = {cursor.x, cursor.y};
    if (!g_saver.is_preview)
        SetCursor(nullptr);
    return SceneProc(window, message, wparam, lparam);
}

LRESULT OnDestroy(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    RestoreInputMethod(window);
    PostQuitMessage(0);
    return SceneProc(window, message, wparam, lparam);
}

// The preview hands help and context-menu requests to the host's window that holds it. They
// are sent, not posted: WM_HELP carries a pointer, which a posted message cannot take to
// another process. A host that does not answer within a moment is not waited for.
LRESULT ForwardToPreviewParent(HWND window, UINT message, LPARAM lparam)
{
    HWND parent = GetParent(window);
    DWORD_PTR answer = 0;
    if (parent != nullptr && IsWindow(parent))
        SendMessageTimeoutA(parent, message, reinterpret_cast<WPARAM>(parent), lparam,
                            SMTO_ABORTIFHUNG, 500, &answer);
    return 1;
}

// The screens the full-screen saver covers: the box of all monitors, or the primary screen on a
// system without the monitor functions (whose metrics then read 0), how many monitors, and the
// primary's size (which a new mode may change inside the same box).
struct Screens {
    RECT box;
    int monitors;
    SIZE primary;
};
Screens covered;

Screens ReadScreens()
{
    const SIZE primary = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    if (monitors == 0)
        return {{0, 0, primary.cx, primary.cy}, 0, primary};
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
             top + GetSystemMetrics(SM_CYVIRTUALSCREEN)},
            monitors,
            primary};
}

bool SameScreens(const Screens& a, const Screens& b)
{
    return a.box.left == b.box.left && a.box.top == b.box.top && a.box.right == b.box.right &&
           a.box.bottom == b.box.bottom && a.monitors == b.monitors &&
           a.primary.cx == b.primary.cx && a.primary.cy == b.primary.cy;
}

// A move far enough to end the saver is held until the next move or for a moment: the system
// moves the cursor once when its monitor goes away, and the new screens can be read only a
// little later (under Wine, some 70 ms after the move arrives).
const UINT_PTR kSettleTimer = 2;
const UINT kSettleTime = 500; // ms
HeldMove held_move;
DWORD followed_at; // GetTickCount() when the screens were last followed

// The picture and the signs follow the screens; the cursor's travel is measured from where the
// change left it, as the system may have moved it off a monitor that went away.
void FollowScreens(HWND window, const Screens& now)
{
    covered = now;
    FollowScreen(window, now.box);
    POINT cursor;
    if (GetCursorPos(&cursor))
        g_saver.last_cursor = {cursor.x, cursor.y};
    KillTimer(window, kSettleTimer);
    held_move.held = false;
    followed_at = GetTickCount();
}

// Whether the screens changed since the saver last covered them; it then follows them.
bool FollowedScreens(HWND window)
{
    const Screens now = ReadScreens();
    if (SameScreens(now, covered))
        return false;
    FollowScreens(window, now);
    return true;
}

// Where the cursor is; where the travel is measured from when that cannot be read.
CursorPoint CursorNow()
{
    POINT cursor = {g_saver.last_cursor.x, g_saver.last_cursor.y};
    GetCursorPos(&cursor);
    return {cursor.x, cursor.y};
}

// Whether the screens changed with this move or a moment before it. Just after a change the
// system may still report the cursor where the old screens had it, and then where the new ones
// have it (under Wine, the same point of the X screen seen through the old and then the new
// origin, up to some 250 ms apart): until the moment has passed, each move takes the travel's
// origin again instead of being judged.
bool ScreensChanging(HWND window)
{
    if (FollowedScreens(window))
        return true;
    if (GetTickCount() - followed_at >= kSettleTime)
        return false;
    g_saver.last_cursor = CursorNow();
    return true;
}

// True when the move is taken here; false when it goes on to the dismissal filter, which ends
// the saver for a move judged to end it.
bool TakeMouseMove(HWND window)
{
    const bool changed = ScreensChanging(window);
    const bool was_held = held_move.held;
    switch (JudgeMouseMove(held_move, g_saver.last_cursor, CursorNow(), g_saver.mouse_threshold,
                           changed)) {
    case MoveVerdict::Hold:
        if (was_held || SetTimer(window, kSettleTimer, kSettleTime, nullptr) != 0)
            return true;
        held_move.held = false; // no timer: judged at once
        return false;
    case MoveVerdict::End:
    case MoveVerdict::Stay:
        if (was_held)
            KillTimer(window, kSettleTimer);
        return changed;
    }
    return false;
}

// The held move is judged now, against an origin taken again if the screens changed meanwhile.
void JudgeHeldMove(HWND window)
{
    KillTimer(window, kSettleTimer);
    const bool changed = FollowedScreens(window);
    if (JudgeHeldMoveAtLast(held_move, g_saver.last_cursor, CursorNow(), g_saver.mouse_threshold,
                            changed) == MoveVerdict::End)
        SceneProc(window, WM_MOUSEMOVE, 0, 0);
}
} // namespace

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (RouteSaverMessage(g_saver, message, wparam)) {
    case SaverRoute::Swallow:
        return 0;
    case SaverRoute::Default:
        return DefWindowProcA(window, message, wparam, lparam);
    case SaverRoute::ForwardToParent:
        return ForwardToPreviewParent(window, message, lparam);
    case SaverRoute::Scene:
        break;
    }
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, message, wparam, lparam);
    case WM_DESTROY:
        return OnDestroy(window, message, wparam, lparam);
    case WM_PAINT:
        if (!g_saver.is_preview)
            SetCursor(nullptr);
        break;
    case WM_TIMER:
        if (!g_saver.is_preview && wparam == kSettleTimer) {
            JudgeHeldMove(window);
            return 0;
        }
        // The tick repaints the picture at once: the cursor stays hidden, as at every repaint.
        if (!g_saver.is_preview) {
            SetCursor(nullptr);
            FollowedScreens(window);
        }
        Sleep(0);
        break;
    case WM_MOUSEMOVE:
        if (!g_saver.is_preview && TakeMouseMove(window))
            return 0;
        break;
    // Windows sends it once the new mode is set, and may not yet have drawn the desktop on a
    // monitor just added: a newly shown part takes the desktop's own picture. Also when only
    // the depth changed, which the box does not show.
    case WM_DISPLAYCHANGE:
        if (!g_saver.is_preview) {
            FollowScreens(window, ReadScreens());
            return 0;
        }
        break;
    }
    return SceneProc(window, message, wparam, lparam);
}

int RunSaver(HWND parent)
{
    WNDCLASSA window_class = {};
    window_class.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = SaverWindowProc;
    window_class.hInstance = static_cast<HINSTANCE>(g_saver.instance);
    window_class.hIcon = LoadIconA(window_class.hInstance, MAKEINTRESOURCEA(100));
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = kSaverClass;

    DWORD ex_style;
    DWORD style;
    const char* title;
    RECT place;
    if (parent != nullptr) {
        GetClientRect(parent, &place);
        g_saver.is_preview = true;
        ex_style = 0;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        title = kPreviewTitle;
        place = {0, 0, place.right - place.left, place.bottom - place.top};
    } else {
        covered = ReadScreens();
        place = covered.box;
        ex_style = WS_EX_TOPMOST;
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        title = kSaverTitle;
        HWND running = FindWindowA(kSaverClass, kSaverTitle);
        if (running != nullptr && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }

    g_saver.autoplay_message = g_saver.is_win9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    HWND window = nullptr;
    if (RegisterClassA(&window_class) != 0)
        window = CreateWindowExA(ex_style, kSaverClass, title, style, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, parent,
                                 nullptr, window_class.hInstance, nullptr);
    g_saver.saver_window = window;

    // Without a window nothing ran: report the start as failed.
    int exit_code = -1;
    if (window != nullptr) {
        if (parent == nullptr)
            SetForegroundWindow(window);
        MSG message = {};
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exit_code = static_cast<int>(message.wParam);
    }
    UnloadPasswordVerifier();
    return exit_code;
}
