// The sample desktop that the demo shows under the saver: a sky, hills, a sun and a few
// window-like panels, so the melt and the tremble have colour to work on. A Windows program that
// fills the screen with the picture until it is ended.
#include "scene/pixel_format.h"
#include <cmath>
#include <cstdint>
#include <vector>
#include <windows.h>

namespace {
struct Rgb { // laid out as a 32-bit DIB pixel
    uint8_t b, g, r, pad;
};

Rgb Colour(int r, int g, int b)
{
    return {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

struct Canvas {
    int width;
    int height;
    std::vector<Rgb> pixels;
    void Set(int x, int y, Rgb c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<size_t>(y) * width + x] = c;
    }
};

uint8_t Mix(int a, int b, double t)
{
    return static_cast<uint8_t>(a + (b - a) * t);
}

void Panel(Canvas& canvas, int left, int top, int w, int h, Rgb title, Rgb body)
{
    for (int y = top; y < top + h; ++y)
        for (int x = left; x < left + w; ++x) {
            const bool edge = x == left || y == top || x == left + w - 1 || y == top + h - 1;
            const bool bar = y < top + 22;
            const bool line = !bar && (y - top) % 18 == 8 && x > left + 12 && x < left + w - 40;
            canvas.Set(x, y,
                       edge   ? Colour(20, 20, 20)
                       : bar  ? title
                       : line ? Colour(90, 90, 110)
                              : body);
        }
}
Canvas DrawDesktop(int width, int height)
{
    Canvas canvas = {width, height, std::vector<Rgb>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = static_cast<double>(y) / height;
            const double hill =
                height * (0.62 + 0.08 * std::sin(x * 0.012) + 0.04 * std::sin(x * 0.031));
            Rgb c = Colour(Mix(40, 250, t), Mix(90, 140, t), Mix(220, 120, t));
            if (y > hill)
                c = Colour(Mix(30, 10, t), Mix(150, 90, t), Mix(60, 40, t));
            const double dx = x - width * 0.78;
            const double dy = y - height * 0.25;
            if (dx * dx + dy * dy < (height * 0.09) * (height * 0.09))
                c = Colour(255, 210, 60);
            canvas.Set(x, y, c);
        }
    Panel(canvas, width / 12, height / 10, width / 3, height / 3, Colour(40, 90, 200),
          Colour(235, 235, 225));
    Panel(canvas, width / 4, height / 2, width / 3, height / 3, Colour(200, 60, 60),
          Colour(250, 245, 200));
    Panel(canvas, width * 3 / 5, height * 11 / 20, width / 4, height / 4, Colour(60, 160, 80),
          Colour(225, 240, 250));
    for (int i = 0; i < 6; ++i) // desktop icons
        Panel(canvas, 16, 16 + i * 56, 40, 40, Colour(40 * i, 120, 200), Colour(200, 200, 200));
    return canvas;
}

Canvas desktop;

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
