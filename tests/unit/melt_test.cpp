// The melt kernel and the tremble: worked colours, run lengths and edges, convergence, and a
// golden run against a plain per-pixel reading of the drip's definition, on screens of every
// colour, of 5 bits a channel and of 256 colours.
#include "common/saver_random.h"
#include "scene/melt.h"
#include <functional>
#include <gtest/gtest.h>
#include <list>
#include <set>
#include <vector>

namespace {
uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r << 16 | g << 8 | b;
}

struct Image {
    int width;
    int height;
    std::vector<uint32_t> pixels;
    Image(int w, int h, uint32_t fill) : width(w), height(h), pixels(w * h, fill) {}
    uint32_t& At(int x, int y) { return pixels[y * width + x]; }
    PixelBuffer Buffer() { return {pixels.data(), width, height, width, nullptr}; }
};

struct ColourCase {
    uint32_t top;
    uint32_t below;
    uint32_t result;
};

TEST(Drip, BlendsEachChannelTowardsTheTopAndDarkens)
{
    const ColourCase cases[] = {
        {Rgb(200, 100, 50), Rgb(100, 100, 100), Rgb(145, 96, 72)}, // the worked example
        {Rgb(90, 60, 30), Rgb(90, 60, 30), Rgb(87, 58, 29)},
        {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(122, 122, 122)},
        {Rgb(255, 0, 0), Rgb(0, 0, 255), Rgb(122, 0, 122)},
        {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(246, 246, 246)},
        {Rgb(1, 0, 0), Rgb(1, 0, 0), Rgb(0, 0, 0)},
    };
    for (const ColourCase& c : cases) {
        Image image(3, 30, c.below);
        for (int x = 0; x < 3; ++x)
            image.At(x, 0) = c.top;
        PixelBuffer buffer = image.Buffer();
        Drip(buffer, 0, 0, 5);
        EXPECT_EQ(image.At(0, 1), c.result) << std::hex << c.top << " over " << c.below;
        EXPECT_EQ(image.At(0, 0), c.top) << "the top pixel stays";
    }
}

// Screens of fewer colours: 5 bits a channel, as a 16-bit screen reads back each value (the
// top bits repeated below), and palettes, where the first of two equally near colours is kept.
uint8_t FiveBits(int v)
{
    return static_cast<uint8_t>((v & ~7) | v >> 5);
}

ScreenColours& FiveBitScreen()
{
    static ScreenColours colours;
    uint8_t held[3][256];
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v)
            held[c][v] = FiveBits(v);
    HoldDirectColours(colours, held);
    return colours;
}

ScreenColours& PaletteScreen(std::vector<uint32_t> palette)
{
    static std::list<ScreenColours> screens; // one for each palette, kept for the whole run
    screens.emplace_back();
    HoldPaletteColours(screens.back(), palette.data(), static_cast<int32_t>(palette.size()));
    return screens.back();
}

TEST(Drip, KeepsOnlyWhatTheScreenKeeps)
{
    struct KeptCase {
        const char* screen;
        ScreenColours* colours;
        uint32_t top;
        uint32_t below;
        uint32_t result;
    };
    const uint32_t grey = Rgb(128, 128, 128), white = Rgb(255, 255, 255);
    const KeptCase cases[] = {
        {"5 bits", &FiveBitScreen(), Rgb(200, 100, 50), Rgb(100, 100, 100), Rgb(148, 99, 74)},
        {"5 bits", &FiveBitScreen(), Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(247, 247, 247)},
        {"grey", &PaletteScreen({0, white, grey}), Rgb(200, 100, 50), Rgb(100, 100, 100), grey},
        {"grey", &PaletteScreen({0, white, grey}), white, white, white},
        {"tie, black first", &PaletteScreen({0, Rgb(2, 0, 0)}), Rgb(2, 0, 0), Rgb(2, 0, 0), 0},
        {"tie, red first", &PaletteScreen({Rgb(2, 0, 0), 0}), Rgb(2, 0, 0), Rgb(2, 0, 0),
         Rgb(2, 0, 0)},
    };
    for (const KeptCase& c : cases) {
        Image image(3, 30, c.below);
        image.At(0, 0) = c.top;
        PixelBuffer buffer = image.Buffer();
        buffer.colours = c.colours;
        Drip(buffer, 0, 0, 5);
        EXPECT_EQ(image.At(0, 1), c.result) << c.screen << ": " << std::hex << c.top;
    }
}

TEST(Drip, RunsAreBThenBPlusOneThenB)
{
    for (int b = 5; b <= 19; ++b) {
        Image image(5, 40, Rgb(200, 200, 200));
        PixelBuffer buffer = image.Buffer();
        Drip(buffer, 1, 3, b);
        const int runs[] = {0, b, b + 1, b, 0};
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 40; ++y) {
                const bool in_run = y > 3 && y <= 3 + runs[x];
                EXPECT_EQ(image.At(x, y) != Rgb(200, 200, 200), in_run)
                    << "b " << b << " at " << x << "," << y;
            }
    }
}

TEST(Drip, EveryPixelOfARunBlendsWithTheSameTop)
{
    Image image(3, 10, 0);
    for (int y = 0; y < 10; ++y)
        image.At(0, y) = Rgb(10 * y, 0, 0);
    image.At(0, 0) = Rgb(200, 0, 0);
    PixelBuffer buffer = image.Buffer();
    Drip(buffer, 0, 0, 5);
    for (int y = 1; y <= 5; ++y)
        EXPECT_EQ(image.At(0, y), Rgb((200 + 10 * y) / 2 * 29 / 30, 0, 0)) << y;
    EXPECT_EQ(image.At(0, 6), Rgb(60, 0, 0));
}

TEST(Drip, StopsAtTheRightAndBottomEdges)
{
    const uint32_t grey = Rgb(100, 100, 100);
    Image last_column(8, 30, grey);
    PixelBuffer buffer = last_column.Buffer();
    Drip(buffer, 7, 0, 5);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(last_column.At(x, y), grey);
    EXPECT_NE(last_column.At(7, 1), grey);

    Image last_row(8, 30, grey);
    buffer = last_row.Buffer();
    Drip(buffer, 2, 29, 19);
    EXPECT_EQ(last_row.pixels, Image(8, 30, grey).pixels);

    Image near_bottom(8, 30, grey);
    buffer = near_bottom.Buffer();
    Drip(buffer, 0, 26, 19);
    for (int x = 0; x < 3; ++x)
        for (int y = 27; y < 30; ++y)
            EXPECT_NE(near_bottom.At(x, y), grey);
}

TEST(DripFilter, DrawsXThenYThenRunLength)
{
    // From the start the draws are 41, 18467, 6334: x = 41 mod 64, y = 18467 mod 48,
    // b = 6334 mod 15 + 5 = 9.
    RestartSaverRandom();
    Image image(64, 48, Rgb(100, 100, 100));
    PixelBuffer buffer = image.Buffer();
    DripFilter(buffer, 64, 48);
    const int x = 41, y = 18467 % 48, b = 6334 % 15 + 5;
    EXPECT_EQ(image.At(x, y + b), Rgb(96, 96, 96));
    EXPECT_EQ(image.At(x, y + b + 1), Rgb(100, 100, 100));
    EXPECT_EQ(image.At(x + 1, y + b + 1), Rgb(96, 96, 96));
    EXPECT_EQ(SaverRandom(), 26500u);
}

TEST(DripFilter, AnEmptyAreaGetsNoDripAndNoDraw)
{
    Image image(4, 4, Rgb(1, 2, 3));
    PixelBuffer buffer = image.Buffer();
    for (auto area : {std::pair<int, int>{0, 0}, {0, 10}, {10, 0}, {-1, 5}}) {
        RestartSaverRandom();
        DripFilter(buffer, area.first, area.second);
        EXPECT_EQ(SaverRandom(), 41u);
    }
    // A Backdrop that could not be made: the drip is still drawn (x, y, b), nothing is touched.
    PixelBuffer no_pixels = {nullptr, 0, 0, 0, nullptr};
    RestartSaverRandom();
    DripFilter(no_pixels, 100, 100);
    EXPECT_EQ(SaverRandom(), 26500u);
}

TEST(DripFilter, NeverWritesOutsideATinyOrSmallerBuffer)
{
    // The buffer sits inside a guarded block; the area handed in is larger than the buffer.
    for (int size : {1, 2, 3}) {
        std::vector<uint32_t> block(64 * 64, 0xABCDEF);
        PixelBuffer buffer = {block.data() + 64 * 20 + 20, size, size, 64, nullptr};
        for (int i = 0; i < 20000; ++i)
            DripFilter(buffer, size + i % 40, size + i % 30);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool inside = x >= 20 && x < 20 + size && y >= 20 && y < 20 + size;
                if (!inside) {
                    ASSERT_EQ(block[y * 64 + x], 0xABCDEFu) << size << " " << x << "," << y;
                }
            }
    }
}

TEST(DripFilter, ConvergesToBlackUnderABlackTopRow)
{
    RestartSaverRandom();
    Image image(24, 24, 0);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    for (int x = 0; x < 24; ++x)
        image.At(x, 0) = 0;
    PixelBuffer buffer = image.Buffer();
    for (int i = 0; i < 200000; ++i)
        DripFilter(buffer, 24, 24);
    for (uint32_t pixel : image.pixels)
        ASSERT_EQ(pixel, 0u);
}

// A plain reading of the drip, pixel by pixel with COLORREF-style reads: outside the picture
// a read gives an invalid colour and a write is dropped, and a write keeps what the screen keeps.
struct ReferenceCanvas {
    int width;
    int height;
    std::vector<uint32_t> pixels;
    std::function<uint32_t(uint32_t)> keep;
    uint32_t Get(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0xFFFFFFFFu;
        return pixels[y * width + x];
    }
    void Set(int x, int y, uint32_t colour)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[y * width + x] = keep(colour);
    }
};

void ReferenceDrip(ReferenceCanvas& canvas, int area_width, int area_height)
{
    const int x = static_cast<int>(SaverRandom() % area_width);
    const int y = static_cast<int>(SaverRandom() % area_height);
    const int b = static_cast<int>(SaverRandom() % 15) + 5;
    for (int i = 0; i < 3; ++i) {
        const uint32_t top = canvas.Get(x + i, y);
        const int top_c[3] = {int(top >> 16 & 255), int(top >> 8 & 255), int(top & 255)};
        const int n = b + i % 2;
        for (int k = 1; k <= n; ++k) {
            const uint32_t here = canvas.Get(x + i, y + k);
            if (top == 0xFFFFFFFFu || here == 0xFFFFFFFFu)
                continue; // nothing to read outside the picture
            const int here_c[3] = {int(here >> 16 & 255), int(here >> 8 & 255), int(here & 255)};
            int out[3];
            for (int c = 0; c < 3; ++c)
                out[c] = ((top_c[c] + here_c[c]) / 2) * 29 / 30;
            canvas.Set(x + i, y + k, Rgb(out[0], out[1], out[2]));
        }
    }
}

uint32_t NearestBySearch(const std::vector<uint32_t>& palette, uint32_t colour)
{
    uint32_t nearest = palette[0];
    int least = 1 << 30;
    for (uint32_t p : palette) {
        int distance = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = int(colour >> shift & 255) - int(p >> shift & 255);
            distance += d * d;
        }
        if (distance < least) {
            least = distance;
            nearest = p;
        }
    }
    return nearest;
}

TEST(DripFilter, MatchesThePlainPerPixelDripOverThousandsOfDrips)
{
    // A 6 x 6 x 6 cube and a ramp of greys, some of them equally near to a blend.
    std::vector<uint32_t> palette;
    for (int i = 0; i < 216; ++i)
        palette.push_back(Rgb(i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51));
    for (int i = 0; i < 40; ++i)
        palette.push_back(Rgb(i * 6 + 8, i * 6 + 8, i * 6 + 8));
    struct Screen {
        const char* name;
        ScreenColours* colours;
        std::function<uint32_t(uint32_t)> keep;
    };
    const Screen screens[] = {
        {"every colour", nullptr, [](uint32_t c) { return c; }},
        {"5 bits", &FiveBitScreen(),
         [](uint32_t c) {
             return Rgb(FiveBits(c >> 16 & 255), FiveBits(c >> 8 & 255), FiveBits(c & 255));
         }},
        {"256 colours", &PaletteScreen(palette),
         [&palette](uint32_t c) { return NearestBySearch(palette, c); }},
    };
    for (const Screen& screen : screens) {
        const int width = 97, height = 61;
        Image image(width, height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.At(x, y) = screen.keep(Rgb(x * 255 / width, y * 255 / height, (x * y) % 256));
        ReferenceCanvas reference = {width, height, image.pixels, screen.keep};
        const std::vector<uint32_t> start = image.pixels;

        RestartSaverRandom();
        PixelBuffer buffer = image.Buffer();
        buffer.colours = screen.colours;
        for (int i = 0; i < 5000; ++i)
            DripFilter(buffer, width, height);
        RestartSaverRandom();
        for (int i = 0; i < 5000; ++i)
            ReferenceDrip(reference, width, height);
        EXPECT_EQ(image.pixels, reference.pixels) << screen.name;
        // The drips did change the picture, and much of it: the two ways agree on real work.
        size_t changed = 0;
        for (size_t i = 0; i < start.size(); ++i)
            changed += image.pixels[i] != start[i];
        EXPECT_GT(changed, start.size() / 4) << screen.name;
    }
}

TEST(Tremble, OffsetsLieInMinusTwoToPlusOneAndAllSixteenOccur)
{
    RestartSaverRandom();
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 2000; ++i) {
        const TrembleOffset offset = DrawTrembleOffset();
        ASSERT_GE(offset.dx, -2);
        ASSERT_LE(offset.dx, 1);
        ASSERT_GE(offset.dy, -2);
        ASSERT_LE(offset.dy, 1);
        seen.insert({offset.dx, offset.dy});
    }
    EXPECT_EQ(seen.size(), 16u);
    RestartSaverRandom();
    const TrembleOffset first = DrawTrembleOffset(); // draws 41 and 18467
    EXPECT_EQ(first.dx, 41 % 4 - 2);
    EXPECT_EQ(first.dy, 18467 % 4 - 2);
}
} // namespace
