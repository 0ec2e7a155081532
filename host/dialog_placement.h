// Where the configuration dialog goes: centred on the work area's size, never at a negative
// coordinate. The work area's own left and top are deliberately not added.
#pragma once
#include "common/plain_rect.h"
#include <cstdint>

struct DialogPosition {
    int32_t x;
    int32_t y;
};

DialogPosition PlaceConfigDialog(const PlainRect& work_area, const PlainRect& dialog);
