// The Win32 side of the dismissal filter: the platform calls that its decisions need.
#include "host/default_filter.h"
#include "common/saver_state.h"
#include "host/dismissal_filter.h"
#include "host/password_hooks.h"

namespace {
using VerifyPasswordFn = BOOL(WINAPI*)(HWND);

void PostClose(void* window)
{
    PostMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
}

CursorPoint CursorPos()
{
    // An unreadable cursor counts as resting at the anchor, so it dismisses nothing.
    POINT point;
    if (!GetCursorPos(&point))
        return g_saver.last_cursor;
    return {point.x, point.y};
}

void HideCursor()
{
    SetCursor(nullptr);
}

intptr_t DefaultProc(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    return DefWindowProcA(static_cast<HWND>(window), message, wparam, lparam);
}

uint32_t VerifyClose(void* window)
{
    return VerifyOnClose(static_cast<HWND>(window));
}

intptr_t CallVerifier(void* verifier, void* window)
{
    return reinterpret_cast<VerifyPasswordFn>(verifier)(static_cast<HWND>(window));
}

const FilterOps filter_ops = {PostClose,   CursorPos,   HideCursor,
                              DefaultProc, VerifyClose, CallVerifier};
} // namespace

LRESULT DefaultSaverFilter(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return FilterSaverMessage(g_saver, filter_ops, window, message, wparam, lparam);
}
