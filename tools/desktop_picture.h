// The sample desktop's picture: a sky, hills, a sun and a few window-like panels, so the melt
// and the tremble have colour to work on. Plain pixels (0x00RRGGBB, rows top-down), no platform
// calls: the demo's desktop shows it, and the artwork generator melts it for setup's sidebar.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

struct DesktopPicture {
    int width;
    int height;
    std::vector<uint32_t> pixels;
    void Set(int x, int y, uint32_t c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<size_t>(y) * width + x] = c;
    }
};

inline uint32_t DesktopColour(int r, int g, int b)
{
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b);
}

inline uint8_t DesktopMix(int a, int b, double t)
{
    return static_cast<uint8_t>(a + (b - a) * t);
}

inline void DesktopPanel(DesktopPicture& desktop, int left, int top, int w, int h, uint32_t title,
                         uint32_t body)
{
    for (int y = top; y < top + h; ++y)
        for (int x = left; x < left + w; ++x) {
            const bool edge = x == left || y == top || x == left + w - 1 || y == top + h - 1;
            const bool bar = y < top + 22;
            const bool line = !bar && (y - top) % 18 == 8 && x > left + 12 && x < left + w - 40;
            desktop.Set(x, y,
                        edge   ? DesktopColour(20, 20, 20)
                        : bar  ? title
                        : line ? DesktopColour(90, 90, 110)
                               : body);
        }
}

inline DesktopPicture DrawDesktop(int width, int height)
{
    DesktopPicture desktop = {width, height,
                              std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = static_cast<double>(y) / height;
            const double hill =
                height * (0.62 + 0.08 * std::sin(x * 0.012) + 0.04 * std::sin(x * 0.031));
            uint32_t c = DesktopColour(DesktopMix(40, 250, t), DesktopMix(90, 140, t),
                                       DesktopMix(220, 120, t));
            if (y > hill)
                c = DesktopColour(DesktopMix(30, 10, t), DesktopMix(150, 90, t),
                                  DesktopMix(60, 40, t));
            const double dx = x - width * 0.78;
            const double dy = y - height * 0.25;
            if (dx * dx + dy * dy < (height * 0.09) * (height * 0.09))
                c = DesktopColour(255, 210, 60);
            desktop.Set(x, y, c);
        }
    DesktopPanel(desktop, width / 12, height / 10, width / 3, height / 3,
                 DesktopColour(40, 90, 200), DesktopColour(235, 235, 225));
    DesktopPanel(desktop, width / 4, height / 2, width / 3, height / 3, DesktopColour(200, 60, 60),
                 DesktopColour(250, 245, 200));
    DesktopPanel(desktop, width * 3 / 5, height * 11 / 20, width / 4, height / 4,
                 DesktopColour(60, 160, 80), DesktopColour(225, 240, 250));
    for (int i = 0; i < 6; ++i) // desktop icons
        DesktopPanel(desktop, 16, 16 + i * 56, 40, 40, DesktopColour(40 * i, 120, 200),
                     DesktopColour(200, 200, 200));
    return desktop;
}
