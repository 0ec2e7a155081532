// Draws the sign's artwork and writes it into a folder: the three sign pictures (the word
// "purl" and three dots, dark grey bodies in white outlines on black) as 4-bit Windows bitmaps
// at 320 x 120, 240 x 90 and 160 x 60, the program's two icons, and setup's sidebar picture.
// Deterministic: the same bytes on every run, so the committed files can be checked against a
// fresh run.
#include "scene/melt.h"
#include "tools/desktop_picture.h"
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
struct Colour {
    uint8_t r, g, b;
};
const Colour kBlack = {0, 0, 0};
const Colour kWhite = {255, 255, 255};
const Colour kBody = {28, 28, 28};
const Colour kMagenta = {128, 0, 128};

// Where the pieces lie in one picture: inclusive pixel bounds.
struct Box {
    int left, top, right, bottom;
};
struct SignLayout {
    int width, height;
    Box word;
    Box dots[3];
    int outline; // outline width in pixels
    bool reorder_table;
};

const SignLayout kLayouts[3] = {
    {320,
     120,
     {19, 5, 227, 115},
     {{236, 63, 251, 80}, {262, 63, 278, 80}, {288, 63, 304, 80}},
     3,
     false},
    {240,
     90,
     {9, 2, 172, 87},
     {{176, 47, 190, 61}, {196, 47, 211, 61}, {216, 47, 230, 61}},
     2,
     false},
    {160,
     60,
     {7, 1, 113, 57},
     {{117, 32, 125, 40}, {130, 32, 138, 40}, {142, 32, 150, 40}},
     2,
     true},
};

// The word is drawn in a design space 209 units wide and 111 high, as thick rounded strokes
// along centre lines: 'p' (stem and bowl), 'u', 'r' (stem and shoulder), 'l' (stem and foot).
const double kDesignWidth = 209;
const double kDesignHeight = 111;
const double kStroke = 10.5; // half the stroke's width
const double kPi = 3.14159265358979323846;

struct Point {
    double x, y;
};
using Path = std::vector<Point>;

Path Line(Point a, Point b)
{
    return {a, b};
}

// An arc of centre c and radius r from angle a0 to a1 (degrees, y pointing down).
Path Arc(Point c, double rx, double ry, double a0, double a1)
{
    Path path;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double a = (a0 + (a1 - a0) * i / steps) * kPi / 180;
        path.push_back({c.x + rx * std::cos(a), c.y + ry * std::sin(a)});
    }
    return path;
}

std::vector<Path> WordPaths()
{
    return {
        Line({10.5, 39}, {10.5, 100.5}),     // p: stem
        Arc({33, 55.5}, 15, 17, 0, 360),     // p: bowl
        Line({75, 39}, {75, 59}),            // u: left arm
        Arc({89, 59}, 14, 13.5, 180, 0),     // u: bottom, through y = 72.5
        Line({103, 39}, {103, 72.5}),        // u: right stem
        Line({129, 39}, {129, 72.5}),        // r: stem
        Arc({145, 55}, 16, 16.5, 180, 300),  // r: shoulder over the top
        Line({178.5, 10.5}, {178.5, 57}),    // l: stem
        Arc({194, 57}, 15.5, 15.5, 180, 90), // l: foot
        Line({194, 72.5}, {198.5, 72.5}),    // l: foot's end
    };
}

double SegmentDistance(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

double WordDistance(const std::vector<Path>& paths, Point p)
{
    double best = 1e9;
    for (const Path& path : paths)
        for (size_t i = 0; i + 1 < path.size(); ++i)
            best = std::min(best, SegmentDistance(p, path[i], path[i + 1]));
    return best;
}

struct Picture {
    int width, height;
    std::vector<Colour> pixels;
    Colour& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The solid shape of the pieces: 1 inside, 0 outside.
std::vector<uint8_t> Shape(const SignLayout& layout, std::vector<uint8_t>* counters)
{
    const int w = layout.width, h = layout.height;
    std::vector<uint8_t> shape(static_cast<size_t>(w) * h, 0);
    const std::vector<Path> paths = WordPaths();
    const Box& word = layout.word;
    const double sx = (word.right + 1 - word.left) / kDesignWidth;
    const double sy = (word.bottom + 1 - word.top) / kDesignHeight;
    const double grow = 0.6 / std::min(sx, sy); // reach every edge of the box, then clip to it
    for (int y = word.top; y <= word.bottom; ++y)
        for (int x = word.left; x <= word.right; ++x) {
            const Point p = {(x + 0.5 - word.left) / sx, (y + 0.5 - word.top) / sy};
            if (WordDistance(paths, p) <= kStroke + grow)
                shape[static_cast<size_t>(y) * w + x] = 1;
        }
    for (const Box& dot : layout.dots) {
        const double cx = (dot.left + dot.right + 1) / 2.0, cy = (dot.top + dot.bottom + 1) / 2.0;
        const double rx = (dot.right + 1 - dot.left) / 2.0 + 0.3;
        const double ry = (dot.bottom + 1 - dot.top) / 2.0 + 0.3;
        for (int y = dot.top; y <= dot.bottom; ++y)
            for (int x = dot.left; x <= dot.right; ++x) {
                const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
                if (u * u + v * v <= 1)
                    shape[static_cast<size_t>(y) * w + x] = 1;
            }
    }
    // Black that the outside cannot reach (the counter of the 'p') joins the shape; it is
    // remembered so that it can be drawn light, as the counter.
    std::vector<uint8_t> outside(shape.size(), 0);
    std::vector<int> stack;
    for (int x = 0; x < w; ++x) {
        stack.push_back(x);
        stack.push_back((h - 1) * w + x);
    }
    for (int y = 0; y < h; ++y) {
        stack.push_back(y * w);
        stack.push_back(y * w + w - 1);
    }
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        if (shape[i] || outside[i])
            continue;
        outside[i] = 1;
        const int x = i % w, y = i / w;
        if (x > 0)
            stack.push_back(i - 1);
        if (x < w - 1)
            stack.push_back(i + 1);
        if (y > 0)
            stack.push_back(i - w);
        if (y < h - 1)
            stack.push_back(i + w);
    }
    counters->assign(shape.size(), 0);
    for (size_t i = 0; i < shape.size(); ++i)
        if (!shape[i] && !outside[i]) {
            shape[i] = 1;
            (*counters)[i] = 1;
        }
    return shape;
}

Picture DrawSign(const SignLayout& layout)
{
    const int w = layout.width, h = layout.height;
    std::vector<uint8_t> counters;
    const std::vector<uint8_t> shape = Shape(layout, &counters);
    // Distance (in 8-neighbour steps) from the outside, up to the outline's width.
    std::vector<int> depth(shape.size(), 0);
    for (size_t i = 0; i < shape.size(); ++i)
        depth[i] = shape[i] ? 1000 : 0;
    for (int pass = 1; pass <= layout.outline; ++pass)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int& d = depth[static_cast<size_t>(y) * w + x];
                if (d != 1000)
                    continue;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        const bool out = nx < 0 || ny < 0 || nx >= w || ny >= h;
                        const int nd = out ? 0 : depth[static_cast<size_t>(ny) * w + nx];
                        if (nd == pass - 1)
                            d = pass;
                    }
            }
    Picture picture = {w, h, std::vector<Colour>(shape.size(), kBlack)};
    for (size_t i = 0; i < shape.size(); ++i) {
        if (!shape[i])
            continue;
        picture.pixels[i] = depth[i] <= layout.outline || counters[i] ? kWhite : kBody;
    }
    return picture;
}

// Three outline pixels of the last dot of the large sign are dark magenta: the three of its
// outer edge that lie furthest to the lower right.
void MarkLastDot(Picture& picture, const Box& dot)
{
    auto outside = [&](int x, int y) {
        return x < 0 || y < 0 || x >= picture.width || y >= picture.height ||
               (picture.At(x, y).r == 0 && picture.At(x, y).g == 0 && picture.At(x, y).b == 0);
    };
    for (int marked = 0; marked < 3; ++marked) {
        int best_x = -1, best_y = -1;
        for (int y = dot.top; y <= dot.bottom; ++y)
            for (int x = dot.left; x <= dot.right; ++x) {
                const Colour c = picture.At(x, y);
                const bool edge = outside(x - 1, y) || outside(x + 1, y) || outside(x, y - 1) ||
                                  outside(x, y + 1);
                if (c.r == 255 && c.g == 255 && c.b == 255 && edge &&
                    (best_x < 0 || x + y > best_x + best_y))
                    best_x = x, best_y = y;
            }
        picture.At(best_x, best_y) = kMagenta;
    }
}

// A 16-entry table of greys and standard colours; the small sign lists it in another order.
std::vector<Colour> ColourTable(bool reorder)
{
    std::vector<Colour> table = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},   {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {28, 28, 28},  {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255}, {255, 255, 255},
    };
    if (reorder)
        table = {table[15], table[8],  table[0],  table[7], table[5], table[1],
                 table[2],  table[3],  table[4],  table[6], table[9], table[10],
                 table[11], table[12], table[13], table[14]};
    return table;
}

void Put16(std::string& out, unsigned v)
{
    out += static_cast<char>(v & 255);
    out += static_cast<char>(v >> 8 & 255);
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The file and info headers of an uncompressed Windows bitmap, rows bottom-up, with a colour
// table of the given size to follow (72 dpi).
std::string BitmapHeaders(const Picture& picture, uint16_t bits, uint32_t colours,
                          uint32_t image_size)
{
    const uint32_t offset = 14 + 40 + colours * 4;
    std::string out = "BM";
    Put32(out, offset + image_size);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(picture.width));
    Put32(out, static_cast<uint32_t>(picture.height));
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0); // uncompressed
    Put32(out, image_size);
    Put32(out, 2834);
    Put32(out, 2834);
    Put32(out, colours);
    Put32(out, 0);
    return out;
}

std::string EncodeBitmap(const Picture& picture, bool reorder)
{
    const std::vector<Colour> table = ColourTable(reorder);
    const int row_bytes = (picture.width * 4 + 31) / 32 * 4;
    const uint32_t image_size = static_cast<uint32_t>(row_bytes * picture.height);
    std::string out = BitmapHeaders(picture, 4, 16, image_size);
    for (const Colour& c : table) {
        out += static_cast<char>(c.b);
        out += static_cast<char>(c.g);
        out += static_cast<char>(c.r);
        out += '\0';
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(row_bytes), '\0');
        for (int x = 0; x < picture.width; ++x) {
            const Colour c = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            unsigned index = 0;
            while (index < 15 &&
                   !(table[index].r == c.r && table[index].g == c.g && table[index].b == c.b))
                ++index;
            row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? index : index << 4));
        }
        out += row;
    }
    return out;
}

// An icon image: a crop of the large sign, centred in a square, scaled to size, black made
// transparent.
struct IconImage {
    int size;
    std::vector<uint32_t> argb;
};

IconImage ScaleToIcon(const Picture& sign, Box crop, int size)
{
    IconImage icon = {size, std::vector<uint32_t>(static_cast<size_t>(size) * size, 0)};
    const double span = std::max(crop.right + 1 - crop.left, crop.bottom + 1 - crop.top);
    const double cx = (crop.left + crop.right + 1) / 2.0, cy = (crop.top + crop.bottom + 1) / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Average a 4 x 4 grid of samples: smooth edges at small sizes.
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const int px = static_cast<int>(
                        std::floor(cx + ((x + (sx + 0.5) / 4) / size - 0.5) * span));
                    const int py = static_cast<int>(
                        std::floor(cy + ((y + (sy + 0.5) / 4) / size - 0.5) * span));
                    if (px < crop.left || py < crop.top || px > crop.right || py > crop.bottom)
                        continue;
                    const Colour c = sign.pixels[static_cast<size_t>(py) * sign.width + px];
                    if (c.r == 0 && c.g == 0 && c.b == 0)
                        continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    a += 1;
                }
            if (a == 0)
                continue;
            const uint32_t alpha = static_cast<uint32_t>(a * 255 / 16 + 0.5);
            icon.argb[static_cast<size_t>(y) * size + x] =
                alpha << 24 | static_cast<uint32_t>(r / a) << 16 |
                static_cast<uint32_t>(g / a) << 8 | static_cast<uint32_t>(b / a);
        }
    return icon;
}

std::string EncodeIcon(const std::vector<IconImage>& images)
{
    std::vector<std::string> bodies;
    for (const IconImage& image : images) {
        const int n = image.size;
        const int mask_row = (n + 31) / 32 * 4;
        std::string body;
        Put32(body, 40);
        Put32(body, static_cast<uint32_t>(n));
        Put32(body, static_cast<uint32_t>(n * 2)); // colour and mask
        Put16(body, 1);
        Put16(body, 32);
        Put32(body, 0);
        Put32(body, static_cast<uint32_t>(n * n * 4 + mask_row * n));
        Put32(body, 0);
        Put32(body, 0);
        Put32(body, 0);
        Put32(body, 0);
        for (int y = n - 1; y >= 0; --y)
            for (int x = 0; x < n; ++x)
                Put32(body, image.argb[static_cast<size_t>(y) * n + x]);
        for (int y = n - 1; y >= 0; --y) {
            std::string row(static_cast<size_t>(mask_row), '\0');
            for (int x = 0; x < n; ++x)
                if ((image.argb[static_cast<size_t>(y) * n + x] >> 24) == 0)
                    row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            body += row;
        }
        bodies.push_back(body);
    }
    std::string out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out += static_cast<char>(images[i].size >= 256 ? 0 : images[i].size);
        out += static_cast<char>(images[i].size >= 256 ? 0 : images[i].size);
        out += '\0';
        out += '\0';
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const std::string& body : bodies)
        out += body;
    return out;
}

// Setup's sidebar picture (its welcome and finish pages, 164 x 314): a piece of the sample
// desktop, its lower half melted by the saver's own drips, and the small sign in the unmelted
// sky. Black is the sign's outside, as on the screen.
const int kSidebarWidth = 164;
const int kSidebarHeight = 314;
const int kSidebarDrips = 2000;
const int kDesktopWidth = 420; // the desktop drawn at the sidebar's height, 4:3
const int kSidebarLeft = 248;  // its piece: the sun, the hills and a panel
const int kSignLeft = 2;
const int kSignTop = 96;

Picture DrawSidebar(const Picture& sign)
{
    DesktopPicture desktop = DrawDesktop(kDesktopWidth, kSidebarHeight);
    PixelBuffer melted = {desktop.pixels.data() + kSidebarHeight / 2 * desktop.width + kSidebarLeft,
                          kSidebarWidth, kSidebarHeight - kSidebarHeight / 2, desktop.width,
                          nullptr};
    for (int i = 0; i < kSidebarDrips; ++i)
        DripFilter(melted, melted.width, melted.height);
    Picture picture = {kSidebarWidth, kSidebarHeight,
                       std::vector<Colour>(static_cast<size_t>(kSidebarWidth) * kSidebarHeight)};
    for (int y = 0; y < kSidebarHeight; ++y)
        for (int x = 0; x < kSidebarWidth; ++x) {
            const uint32_t c =
                desktop.pixels[static_cast<size_t>(y) * desktop.width + kSidebarLeft + x];
            picture.At(x, y) = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                static_cast<uint8_t>(c)};
        }
    for (int y = 0; y < sign.height; ++y)
        for (int x = 0; x < sign.width; ++x) {
            const Colour c = sign.pixels[static_cast<size_t>(y) * sign.width + x];
            if (c.r != 0 || c.g != 0 || c.b != 0)
                picture.At(kSignLeft + x, kSignTop + y) = c;
        }
    return picture;
}

// A 24-bit Windows bitmap, rows bottom-up.
std::string EncodeBitmap24(const Picture& picture)
{
    const int row_bytes = (picture.width * 3 + 3) / 4 * 4;
    const uint32_t image_size = static_cast<uint32_t>(row_bytes * picture.height);
    std::string out = BitmapHeaders(picture, 24, 0, image_size);
    for (int y = picture.height - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(row_bytes), '\0');
        for (int x = 0; x < picture.width; ++x) {
            const Colour c = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            row[static_cast<size_t>(x) * 3] = static_cast<char>(c.b);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(c.g);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(c.r);
        }
        out += row;
    }
    return out;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: sign_artwork OUTPUT-FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const char* names[3] = {"sign_large.bmp", "sign_medium.bmp", "sign_small.bmp"};
    Picture large, small;
    for (int i = 0; i < 3; ++i) {
        Picture picture = DrawSign(kLayouts[i]);
        if (i == 0) {
            MarkLastDot(picture, kLayouts[0].dots[2]);
            large = picture;
        }
        if (i == 2)
            small = picture;
        if (!WriteFile(folder + "/" + names[i], EncodeBitmap(picture, kLayouts[i].reorder_table)))
            return 1;
    }
    // Icon 107: the sign's first letter; icon 108: its three dots.
    const Box letter = {19, 33, 80, 115};
    const Box dots = {234, 46, 306, 97};
    std::vector<IconImage> letter_icons, dot_icons;
    for (int size : {16, 24, 32, 48}) {
        letter_icons.push_back(ScaleToIcon(large, letter, size));
        dot_icons.push_back(ScaleToIcon(large, dots, size));
    }
    if (!WriteFile(folder + "/icon_letter.ico", EncodeIcon(letter_icons)) ||
        !WriteFile(folder + "/icon_dots.ico", EncodeIcon(dot_icons)) ||
        !WriteFile(folder + "/setup_sidebar.bmp", EncodeBitmap24(DrawSidebar(small))))
        return 1;
    return 0;
}
