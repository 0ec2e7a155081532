// What a change of the screens (a monitor plugged in or out, a new resolution or colour depth)
// does to the running saver's picture: which part of the Backdrop it keeps, which parts it
// copies afresh from the screen, and how far the signs move to stay where they stood.
#pragma once
#include "common/plain_rect.h"
#include <cstdint>

struct ScreenChange {
    PlainRect kept;                   // in the new client coordinates; empty when nothing is kept
    int32_t kept_from_x, kept_from_y; // where kept's top-left corner lies in the old Backdrop
    int fresh_count;
    PlainRect fresh[4];       // parts newly shown, in the new client coordinates
    int32_t shift_x, shift_y; // added to a sign's client place keeps its place on the screen
    bool measure_colours;     // the depth changed: what the screen keeps is measured again
};

// before and after: the window's box on the screen; depths in bits a pixel.
ScreenChange PlanScreenChange(const PlainRect& before, const PlainRect& after, int depth_before,
                              int depth_after);
