// The melt and the tremble on a 32-bit pixel buffer: one drip pulls three short runs of pixels
// towards the colour above them and darkens them by a thirtieth. No platform calls here.
#pragma once
#include <cstdint>

const int32_t kNearestCacheBits = 12;
const int32_t kNearestCacheSize = 1 << kNearestCacheBits;

// What a screen of fewer than 24 bits keeps of each colour written to it, so that the melt
// leaves exactly what a drip read and written through the screen's own pixels would. A
// direct-colour screen keeps each channel on its own; a screen of 256 colours or fewer keeps the
// nearest colour of its palette (least squared distance, the first of equals).
struct ScreenColours {
    uint8_t blend[3][511]; // per channel, from the low byte up: the drip's blend, then kept
    uint32_t palette[256];
    int32_t palette_size;                     // 0 on a direct-colour screen
    uint32_t cache_colour[kNearestCacheSize]; // nearest palette colours found so far
    uint32_t cache_nearest[kNearestCacheSize];
};

// held[c][v]: what the screen gives back of value v written to channel c (0 is the low byte).
void HoldDirectColours(ScreenColours& colours, const uint8_t (&held)[3][256]);

// The palette's colours in the buffer's channel order, count 1..256.
void HoldPaletteColours(ScreenColours& colours, const uint32_t* palette, int32_t count);

// Pixels as 0x00RRGGBB (or any order: the channels never mix, and a palette is given in the
// same order), rows top-down. Without colours every 8-bit channel value is kept.
struct PixelBuffer {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    int32_t stride; // pixels per row
    ScreenColours* colours;
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
