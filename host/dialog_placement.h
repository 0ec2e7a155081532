// Where the configuration dialog goes: centred on the work area's size, never at a negative
// coordinate. The work area's own left and top are deliberately not added.
#pragma once
#include <cstdint>

struct PlainRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct DialogPosition {
    int32_t x;
    int32_t y;
};

DialogPosition PlaceConfigDialog(const PlainRect& work_area, const PlainRect& dialog);
