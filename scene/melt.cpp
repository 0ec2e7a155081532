// The melt and the tremble on a pixel buffer.
#include "scene/melt.h"
#include "common/saver_random.h"

namespace {
// blend[s] = floor(floor(s / 2) * 29 / 30) for the sum s of two channels (0..510). Made by
// the compiler: the Windows program has no start-up code that would run a constructor.
struct BlendTable {
    uint8_t value[511] = {};
    constexpr BlendTable()
    {
        for (int s = 0; s < 511; ++s)
            value[s] = static_cast<uint8_t>((s / 2) * 29 / 30);
    }
};
constexpr BlendTable blend;

uint32_t BlendPixel(uint32_t top, uint32_t here)
{
    const uint8_t* t = blend.value;
    return static_cast<uint32_t>(t[(top & 0xFF) + (here & 0xFF)]) |
           static_cast<uint32_t>(t[((top >> 8) & 0xFF) + ((here >> 8) & 0xFF)]) << 8 |
           static_cast<uint32_t>(t[((top >> 16) & 0xFF) + ((here >> 16) & 0xFF)]) << 16;
}
} // namespace

void Drip(PixelBuffer& buffer, int32_t x, int32_t y, int32_t b)
{
    if (buffer.pixels == nullptr || x < 0 || y < 0 || y >= buffer.height)
        return;
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t column = x + i;
        if (column >= buffer.width)
            return;
        uint32_t* pixel = buffer.pixels + static_cast<intptr_t>(y) * buffer.stride + column;
        const uint32_t top = *pixel;
        int32_t run = b + (i % 2);
        if (run > buffer.height - 1 - y)
            run = buffer.height - 1 - y;
        for (int32_t k = 0; k < run; ++k) {
            pixel += buffer.stride;
            *pixel = BlendPixel(top, *pixel);
        }
    }
}

void DripFilter(PixelBuffer& buffer, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    const int32_t x = static_cast<int32_t>(SaverRandom() % static_cast<uint32_t>(width));
    const int32_t y = static_cast<int32_t>(SaverRandom() % static_cast<uint32_t>(height));
    const int32_t b = static_cast<int32_t>(SaverRandom() % 15) + 5;
    Drip(buffer, x, y, b);
}

TrembleOffset DrawTrembleOffset()
{
    const int32_t dx = static_cast<int32_t>(SaverRandom() % 4) - 2;
    const int32_t dy = static_cast<int32_t>(SaverRandom() % 4) - 2;
    return {dx, dy};
}
