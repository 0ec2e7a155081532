// The three sign pictures: each loaded from the program's resources, kept selected in a memory
// drawing context for painting, with its shape (every pixel that is not pure black).
#pragma once
#include <windows.h>

struct SignImage {
    HRGN shape;
    HBITMAP bitmap;
    HDC dc;
};

// Index = resource id - 131: large (131), medium (132), small (133).
extern SignImage sign_images[3];

// The shape of a loaded picture: one region holding every pixel that is not pure black, as the
// platform converted the picture for the screen (`screen`: the screen's drawing context). The
// bitmap must not be selected into a DC.
HRGN ShapeOfBitmap(HDC screen, HBITMAP bitmap);

// Loads picture `id` (131..133) from `instance` into sign_images[id - 131]. Returns 1, or 0
// when the bitmap could not be loaded (nothing else is made for it then).
int LoadSignImage(HINSTANCE instance, int id);
