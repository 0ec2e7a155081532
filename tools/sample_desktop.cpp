// The sample desktop that the demo shows under the saver: a Windows program that fills the
// screen with tools/desktop_picture.h's picture until it is ended.
#include "scene/pixel_format.h"
#include "tools/desktop_picture.h"
#include <windows.h>

namespace {
DesktopPicture desktop;

LRESULT CALLBACK DesktopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const BITMAPINFO info = TopDownPixels(desktop.width, desktop.height);
        SetDIBitsToDevice(dc, 0, 0, desktop.width, desktop.height, 0, 0, 0, desktop.height,
                          desktop.pixels.data(), &info, DIB_RGB_COLORS);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    desktop = DrawDesktop(width, height);
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DesktopProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = "PurlSampleDesktop";
    RegisterClassA(&window_class);
    CreateWindowExA(WS_EX_TOOLWINDOW, "PurlSampleDesktop", "sample desktop", WS_POPUP | WS_VISIBLE,
                    0, 0, width, height, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
