// The plain way to build a sign's shape, kept as the yardstick for the fast one: start from
// the whole picture and subtract every pure black pixel, one region operation per pixel.
#pragma once
#include <windows.h>

// dc: a memory DC with the picture selected into it, width x height pixels.
inline HRGN ShapeByPixelSubtraction(HDC dc, int width, int height)
{
    HRGN shape = CreateRectRgn(0, 0, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (GetPixel(dc, x, y) == 0) {
                HRGN pixel = CreateRectRgn(x, y, x + 1, y + 1);
                CombineRgn(shape, shape, pixel, RGN_DIFF);
                DeleteObject(pixel);
            }
    return shape;
}
