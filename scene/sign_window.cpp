// The Win32 side of the Signs: class "purlwindow", windows titled "purlchild" that paint
// their picture, are clipped to its shape and let the mouse through, and the calls behind
// SignPlatform.
#include "scene/sign_window.h"
#include "scene/screen_colours.h"
#include "scene/sign_places.h"
#include "scene/sign.h"
#include "scene/tick_redraw.h"

namespace {
const char kSignClass[] = "purlwindow";

HWND Window(void* handle)
{
    return static_cast<HWND>(handle);
}

bool RegisterSignClass()
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = SignWindowProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(1); // never used: WM_ERASEBKGND
    window_class.lpszClassName = kSignClass;
    return RegisterClassA(&window_class) != 0;
}

PixelSize BitmapSize(void* bitmap)
{
    BITMAP size = {};
    GetObjectA(static_cast<HBITMAP>(bitmap), sizeof size, &size);
    return {size.bmWidth, size.bmHeight};
}

void* CreateSignWindow(void* parent, int32_t width, int32_t height)
{
    return CreateWindowExA(0, kSignClass, "purlchild", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                           Window(parent), nullptr, GetModuleHandleA(nullptr), nullptr);
}

void SetUserData(void* window, Sign* sign)
{
    SetWindowLongPtrA(Window(window), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sign));
}

// Only the bit: no alpha, no colour key, no layered update.
void AddLayeredStyle(void* window)
{
    SetWindowLongA(Window(window), GWL_EXSTYLE,
                   GetWindowLongA(Window(window), GWL_EXSTYLE) | WS_EX_LAYERED);
}

void* CreateSmallRegion()
{
    return CreateRectRgn(0, 0, 1, 1);
}

bool CopyRegion(void* destination, void* source)
{
    return CombineRgn(static_cast<HRGN>(destination), static_cast<HRGN>(source),
                      static_cast<HRGN>(destination), RGN_COPY) != ERROR;
}

bool AttachRegion(void* window, void* region)
{
    return SetWindowRgn(Window(window), static_cast<HRGN>(region), FALSE) != 0;
}

PlainRect ClientRect(void* parent)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(Window(parent), &client);
    return {client.left, client.top, client.right, client.bottom};
}

void MoveSignWindow(void* window, int32_t x, int32_t y)
{
    SetWindowPos(Window(window), nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | kSignMoveFlags);
}

void ShowSignWindow(void* window)
{
    ShowWindow(Window(window), SW_SHOW);
    UpdateWindow(Window(window));
}

void ShowMessage(void* owner, const char* text, const char* caption)
{
    MessageBoxA(Window(owner), text, caption, MB_OK);
}

void DestroySignWindow(void* window)
{
    DestroyWindow(Window(window));
}

void DeleteRegion(void* region)
{
    DeleteObject(static_cast<HRGN>(region));
}

// The window's place in its parent's client coordinates.
PlainRect WindowRect(void* window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(Window(window), &rect);
    MapWindowPoints(nullptr, GetParent(Window(window)), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

const SignPlatform windows_platform = {
    RegisterSignClass, BitmapSize,  CreateSignWindow,  SetUserData,  AddLayeredStyle,
    CreateSmallRegion,   CopyRegion,  AttachRegion,        ClientRect,   MoveSignWindow,
    ShowSignWindow,    ShowMessage, DestroySignWindow, DeleteRegion, WindowRect,
};
} // namespace

namespace {
using EnumDisplayMonitorsFn = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

BOOL CALLBACK ListMonitor(HMONITOR, HDC, LPRECT place, LPARAM data)
{
    // Always on to the end: a callback that stops the listing makes it fail as a whole.
    AddListedMonitor(reinterpret_cast<MonitorLayout*>(data),
                     {place->left, place->top, place->right, place->bottom});
    return TRUE;
}
} // namespace

void ReadSignMonitors(HWND window)
{
    sign_monitors = {};
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)
        return;
    const auto enumerate = reinterpret_cast<EnumDisplayMonitorsFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("USER32.DLL"), "EnumDisplayMonitors")));
    MonitorLayout layout = {};
    if (enumerate == nullptr ||
        !enumerate(nullptr, nullptr, ListMonitor, reinterpret_cast<LPARAM>(&layout)))
        return;
    // From screen coordinates to the window's client coordinates.
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    for (int i = 0; i < layout.count; ++i) {
        PlainRect& m = layout.monitors[i];
        m = {m.left - origin.x, m.top - origin.y, m.right - origin.x, m.bottom - origin.y};
    }
    sign_monitors = layout;
}

void UseWindowsSignPlatform()
{
    sign_platform = &windows_platform;
}

LRESULT CALLBACK SignWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        const auto* sign = reinterpret_cast<Sign*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        UseScreenPalette(dc);
        if (sign != nullptr)
            BitBlt(dc, 0, 0, sign->width, sign->height, static_cast<HDC>(sign->image_dc), 0,
                   0, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wparam), &client,
                 static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 1;
    }
    case WM_NCHITTEST:
        // The mouse passes through a sign to the saver window below, so that moving or
        // clicking over a sign ends the saver like anywhere else on the screen.
        return HTTRANSPARENT;
    case WM_DESTROY:
        // A sign goes with the scene's teardown, which ends the saver; a window that lost its
        // Sign (its shaping failed) goes alone.
        if (GetWindowLongPtrA(window, GWLP_USERDATA) != 0)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
