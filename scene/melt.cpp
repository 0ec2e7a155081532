// The melt and the tremble on a pixel buffer, and what a screen of fewer colours keeps of it.
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

uint32_t NearestInPalette(ScreenColours& colours, uint32_t colour)
{
    const uint32_t slot = (colour * 2654435761u) >> (32 - kNearestCacheBits);
    if (colours.cache_colour[slot] == colour)
        return colours.cache_nearest[slot];
    uint32_t nearest = colours.palette[0];
    int32_t least = 0x7FFFFFFF;
    for (int32_t i = 0; i < colours.palette_size; ++i) {
        const uint32_t p = colours.palette[i];
        const int32_t d0 = static_cast<int32_t>(colour & 0xFF) - static_cast<int32_t>(p & 0xFF);
        const int32_t d1 =
            static_cast<int32_t>(colour >> 8 & 0xFF) - static_cast<int32_t>(p >> 8 & 0xFF);
        const int32_t d2 =
            static_cast<int32_t>(colour >> 16 & 0xFF) - static_cast<int32_t>(p >> 16 & 0xFF);
        const int32_t distance = d0 * d0 + d1 * d1 + d2 * d2;
        if (distance < least) {
            least = distance;
            nearest = p;
        }
    }
    colours.cache_colour[slot] = colour;
    colours.cache_nearest[slot] = nearest;
    return nearest;
}

uint32_t BlendPixel(ScreenColours* colours, uint32_t top, uint32_t here)
{
    const uint8_t* t0 = blend.value;
    const uint8_t* t1 = blend.value;
    const uint8_t* t2 = blend.value;
    if (colours != nullptr) {
        t0 = colours->blend[0];
        t1 = colours->blend[1];
        t2 = colours->blend[2];
    }
    const uint32_t mixed =
        static_cast<uint32_t>(t0[(top & 0xFF) + (here & 0xFF)]) |
        static_cast<uint32_t>(t1[((top >> 8) & 0xFF) + ((here >> 8) & 0xFF)]) << 8 |
        static_cast<uint32_t>(t2[((top >> 16) & 0xFF) + ((here >> 16) & 0xFF)]) << 16;
    if (colours == nullptr || colours->palette_size == 0)
        return mixed;
    return NearestInPalette(*colours, mixed);
}
} // namespace

void HoldDirectColours(ScreenColours& colours, const uint8_t (&held)[3][256])
{
    for (int c = 0; c < 3; ++c)
        for (int s = 0; s < 511; ++s)
            colours.blend[c][s] = held[c][blend.value[s]];
    colours.palette_size = 0;
}

void HoldPaletteColours(ScreenColours& colours, const uint32_t* palette, int32_t count)
{
    for (int c = 0; c < 3; ++c)
        for (int s = 0; s < 511; ++s)
            colours.blend[c][s] = blend.value[s];
    colours.palette_size = count < 0 ? 0 : count > 256 ? 256 : count;
    for (int32_t i = 0; i < colours.palette_size; ++i)
        colours.palette[i] = palette[i] & 0xFFFFFF;
    // No colour has its top byte set, so this marks every slot empty.
    for (int32_t i = 0; i < kNearestCacheSize; ++i)
        colours.cache_colour[i] = 0xFFFFFFFFu;
}

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
            *pixel = BlendPixel(buffer.colours, top, *pixel);
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
