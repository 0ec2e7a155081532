// The melt and the tremble on a 32-bit pixel buffer: one drip pulls three short runs of pixels
// towards the colour above them and darkens them by a thirtieth. No platform calls here.
#pragma once
#include <cstdint>

// Pixels as 0x00RRGGBB (or any order: the channels never mix), rows top-down.
struct PixelBuffer {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    int32_t stride; // pixels per row
};

struct TrembleOffset {
    int32_t dx;
    int32_t dy;
};

// One drip with its column origin x, row y and base run length b (5..19).
void Drip(PixelBuffer& buffer, int32_t x, int32_t y, int32_t b);

// One drip at a place drawn from SaverRandom (x, then y, then b) inside an area of width x
// height (the saver window's client area). Places outside the buffer are neither read nor
// written. An empty area gets no drip and draws nothing.
void DripFilter(PixelBuffer& buffer, int32_t width, int32_t height);

// The offset of one repaint, drawn from SaverRandom: dx then dy, each -2..+1.
TrembleOffset DrawTrembleOffset();
