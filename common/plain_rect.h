// A rectangle of four signed 32-bit values; right and bottom lie one past the last pixel.
#pragma once
#include <cstdint>

struct PlainRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
