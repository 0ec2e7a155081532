// A sign's shape from its pixels: the runs of not-black pixels, row by row. Pure black
// (0, 0, 0) is the signs' transparent colour; any other colour, however dark, is inside.
#pragma once
#include <cstdint>

struct ShapeRun {
    int32_t y;
    int32_t left;  // first pixel inside
    int32_t right; // one past the last pixel inside
};

// The most runs a picture of this size can have: half of each row's pixels, rounded up.
int32_t MaxShapeRuns(int32_t width, int32_t height);

// Writes the runs into `runs` (room for MaxShapeRuns) and returns how many there are.
// pixels: 32-bit values 0x??RRGGBB (the top byte is ignored), rows top-down.
int32_t NonBlackRuns(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
                     ShapeRun* runs);
