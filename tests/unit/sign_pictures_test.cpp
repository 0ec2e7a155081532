// The committed sign pictures: their headers and colour tables, the colours that occur, where
// the word and the dots lie, clean outlines (no grey touching black, no enclosed hole), each
// letter and dot one piece, and the share of each picture inside the shape.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {
struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator<(const Rgb& o) const
    {
        return (r << 16 | g << 8 | b) < (o.r << 16 | o.g << 8 | o.b);
    }
};
const Rgb kBlack = {0, 0, 0}, kWhite = {255, 255, 255}, kGrey = {28, 28, 28},
          kMagenta = {128, 0, 128};

struct Box {
    int left, top, right, bottom;
};

struct Sign {
    const char* file;
    int width, height;
    Box word;
    Box dots[3];
    double share_low, share_high;
};

const Sign kSigns[] = {
    {"sign_large.bmp",
     320,
     120,
     {19, 5, 227, 115},
     {{236, 63, 251, 80}, {262, 63, 278, 80}, {288, 63, 304, 80}},
     0.22,
     0.29},
    {"sign_medium.bmp",
     240,
     90,
     {9, 2, 172, 87},
     {{176, 47, 190, 61}, {196, 47, 211, 61}, {216, 47, 230, 61}},
     0.26,
     0.34},
    {"sign_small.bmp",
     160,
     60,
     {7, 1, 113, 57},
     {{117, 32, 125, 40}, {130, 32, 138, 40}, {142, 32, 150, 40}},
     0.26,
     0.34},
};

uint32_t U32(const std::string& d, size_t at)
{
    return static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8 |
           static_cast<uint8_t>(d[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d[at + 3])) << 24;
}
uint16_t U16(const std::string& d, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1])
                                                                   << 8);
}

std::string ReadFile(const std::string& name)
{
    std::ifstream file(std::string(PURL_RESOURCES) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> table;
    std::vector<Rgb> pixels;
    const Rgb& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Inside(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height && !(At(x, y) == kBlack);
    }
};

Picture Decode(const std::string& d)
{
    Picture p;
    p.width = static_cast<int>(U32(d, 18));
    p.height = static_cast<int>(U32(d, 22));
    for (int i = 0; i < 16; ++i)
        p.table.push_back({static_cast<uint8_t>(d[54 + 4 * i + 2]),
                           static_cast<uint8_t>(d[54 + 4 * i + 1]),
                           static_cast<uint8_t>(d[54 + 4 * i])});
    const size_t offset = U32(d, 10);
    const int row_bytes = (p.width * 4 + 31) / 32 * 4;
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t byte = static_cast<uint8_t>(
                d[offset + static_cast<size_t>(p.height - 1 - y) * row_bytes + x / 2]);
            p.pixels[static_cast<size_t>(y) * p.width + x] = p.table[x % 2 ? byte & 15 : byte >> 4];
        }
    return p;
}

TEST(SignPictures, HeadersAndColourTables)
{
    std::vector<std::vector<Rgb>> tables;
    for (const Sign& sign : kSigns) {
        const std::string d = ReadFile(sign.file);
        ASSERT_GT(d.size(), 118u) << sign.file;
        const uint32_t row_bytes = static_cast<uint32_t>(sign.width) / 2;
        EXPECT_EQ(d.substr(0, 2), "BM");
        EXPECT_EQ(U32(d, 2), d.size());
        EXPECT_EQ(U32(d, 10), 14u + 40 + 64);
        EXPECT_EQ(U32(d, 14), 40u); // BITMAPINFOHEADER
        EXPECT_EQ(U32(d, 18), static_cast<uint32_t>(sign.width));
        EXPECT_EQ(U32(d, 22), static_cast<uint32_t>(sign.height)); // positive: bottom-up rows
        EXPECT_EQ(U16(d, 26), 1);                                  // planes
        EXPECT_EQ(U16(d, 28), 4);                                  // bits per pixel
        EXPECT_EQ(U32(d, 30), 0u);                                 // uncompressed
        EXPECT_EQ(U32(d, 34), row_bytes * sign.height);
        EXPECT_EQ(U32(d, 38), 2834u);
        EXPECT_EQ(U32(d, 42), 2834u);
        EXPECT_EQ(d.size(), 118u + row_bytes * sign.height);
        EXPECT_EQ(row_bytes % 4, 0u);
        const Picture p = Decode(d);
        const std::set<Rgb> entries(p.table.begin(), p.table.end());
        EXPECT_EQ(entries.size(), 16u) << sign.file;
        for (const Rgb& needed : {kBlack, kWhite, kGrey, kMagenta})
            EXPECT_EQ(entries.count(needed), 1u) << sign.file;
        tables.push_back(p.table);
    }
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_NE(tables[2], tables[0]); // the small picture lists its table in another order
    EXPECT_EQ(std::set<Rgb>(tables[2].begin(), tables[2].end()),
              std::set<Rgb>(tables[0].begin(), tables[0].end()));
}

Box Bounds(const Picture& p, int left, int right)
{
    Box box = {1 << 20, 1 << 20, -1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = left; x <= right; ++x)
            if (p.Inside(x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

void ExpectBox(const Box& actual, const Box& expected, const std::string& what)
{
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

TEST(SignPictures, ColoursAndWhereThePiecesLie)
{
    for (const Sign& sign : kSigns) {
        const Picture p = Decode(ReadFile(sign.file));
        int magenta = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const Rgb c = p.At(x, y);
                if (c == kMagenta) {
                    ++magenta;
                    // In the outline of the last dot: inside its box and next to black.
                    const Box& dot = sign.dots[2];
                    EXPECT_TRUE(x >= dot.left && x <= dot.right && y >= dot.top && y <= dot.bottom);
                    EXPECT_TRUE(!p.Inside(x - 1, y) || !p.Inside(x + 1, y) || !p.Inside(x, y - 1) ||
                                !p.Inside(x, y + 1));
                } else {
                    EXPECT_TRUE(c == kBlack || c == kWhite || c == kGrey)
                        << sign.file << " " << x << "," << y;
                }
            }
        EXPECT_EQ(magenta, std::string(sign.file) == "sign_large.bmp" ? 3 : 0) << sign.file;

        ExpectBox(Bounds(p, 0, sign.dots[0].left - 1), sign.word, std::string(sign.file) + " word");
        for (int i = 0; i < 3; ++i) {
            const int right = i < 2 ? sign.dots[i + 1].left - 1 : p.width - 1;
            const int left = sign.dots[i].left;
            ExpectBox(Bounds(p, left, right), sign.dots[i], std::string(sign.file) + " dot");
            // Nothing between the word and the dot's box, or between dots.
            const Box gap =
                Bounds(p, (i == 0 ? sign.word.right : sign.dots[i - 1].right) + 1, left - 1);
            EXPECT_EQ(gap.right, -1) << sign.file << " gap before dot " << i;
        }
    }
}

TEST(SignPictures, CleanOutlinesSolidPiecesAndShare)
{
    for (const Sign& sign : kSigns) {
        const Picture p = Decode(ReadFile(sign.file));
        const int w = p.width, h = p.height;
        // No grey pixel touches black, diagonals included.
        int grey_by_black = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        grey_by_black += p.At(x, y) == kGrey && !p.Inside(x + dx, y + dy);
        EXPECT_EQ(grey_by_black, 0) << sign.file;
        // Every black pixel is reached from the border: no enclosed hole.
        std::vector<uint8_t> reached(static_cast<size_t>(w) * h, 0);
        std::vector<int> stack;
        for (int x = 0; x < w; ++x)
            stack.insert(stack.end(), {x, (h - 1) * w + x});
        for (int y = 0; y < h; ++y)
            stack.insert(stack.end(), {y * w, y * w + w - 1});
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            if (reached[i] || p.Inside(i % w, i / w))
                continue;
            reached[i] = 1;
            if (i % w > 0)
                stack.push_back(i - 1);
            if (i % w < w - 1)
                stack.push_back(i + 1);
            if (i >= w)
                stack.push_back(i - w);
            if (i < (h - 1) * w)
                stack.push_back(i + w);
        }
        int inside = 0, holes = 0;
        for (int i = 0; i < w * h; ++i) {
            inside += p.Inside(i % w, i / w);
            holes += !reached[i] && !p.Inside(i % w, i / w);
        }
        EXPECT_EQ(holes, 0) << sign.file;
        const double share = static_cast<double>(inside) / (w * h);
        EXPECT_GE(share, sign.share_low) << sign.file;
        EXPECT_LE(share, sign.share_high) << sign.file;

        // Seven pieces (8-connected): p, u, r, l and three dots.
        std::vector<uint8_t> seen(static_cast<size_t>(w) * h, 0);
        int pieces = 0;
        for (int start = 0; start < w * h; ++start) {
            if (seen[start] || !p.Inside(start % w, start / w))
                continue;
            ++pieces;
            stack.push_back(start);
            while (!stack.empty()) {
                const int i = stack.back();
                stack.pop_back();
                if (seen[i])
                    continue;
                seen[i] = 1;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (p.Inside(i % w + dx, i / w + dy))
                            stack.push_back(i + dy * w + dx);
            }
        }
        EXPECT_EQ(pieces, 7) << sign.file;
    }
}
} // namespace
