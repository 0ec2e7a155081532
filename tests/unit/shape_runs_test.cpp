// The runs of not-black pixels that make a sign's shape.
#include "scene/shape_runs.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
std::vector<ShapeRun> NonBlackRuns(const uint32_t* pixels, int32_t width, int32_t height,
                                   int32_t stride)
{
    std::vector<ShapeRun> runs(static_cast<size_t>(MaxShapeRuns(width, height)));
    runs.resize(static_cast<size_t>(::NonBlackRuns(pixels, width, height, stride, runs.data())));
    return runs;
}

int Covered(const std::vector<ShapeRun>& runs)
{
    int total = 0;
    for (const ShapeRun& run : runs)
        total += run.right - run.left;
    return total;
}

TEST(ShapeRuns, AllBlackIsEmptyAndNoBlackIsTheWholeRectangle)
{
    std::vector<uint32_t> black(12 * 5, 0);
    EXPECT_TRUE(NonBlackRuns(black.data(), 12, 5, 12).empty());
    std::vector<uint32_t> grey(12 * 5, 0x1C1C1C);
    const std::vector<ShapeRun> runs = NonBlackRuns(grey.data(), 12, 5, 12);
    ASSERT_EQ(runs.size(), 5u);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(runs[y].y, y);
        EXPECT_EQ(runs[y].left, 0);
        EXPECT_EQ(runs[y].right, 12);
    }
}

TEST(ShapeRuns, AlternatingPixelsFillTheLargestRunCount)
{
    const uint32_t row[] = {1, 0, 1, 0, 1, 0, 1};
    EXPECT_EQ(NonBlackRuns(row, 7, 1, 7).size(), static_cast<size_t>(MaxShapeRuns(7, 1)));
}

TEST(ShapeRuns, OnlyExactBlackIsCutOut)
{
    // One row: black, the darkest reds/greens/blues, black with only the unused top byte set.
    const uint32_t row[] = {0, 0x010000, 0x000100, 0x000001, 0xFF000000u, 0, 0x1C1C1C, 0};
    const std::vector<ShapeRun> runs = NonBlackRuns(row, 8, 1, 8);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].left, 1);
    EXPECT_EQ(runs[0].right, 4);
    EXPECT_EQ(runs[1].left, 6);
    EXPECT_EQ(runs[1].right, 7);
}

TEST(ShapeRuns, EveryNotBlackPixelIsInExactlyOneRun)
{
    const int w = 37, h = 23, stride = 40;
    std::vector<uint32_t> pixels(static_cast<size_t>(stride) * h, 0xABCDEF); // padding not black
    int not_black = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool black = (x * 7 + y * 13) % 5 < 2 || x == 0 || x == w - 1;
            pixels[y * stride + x] = black ? 0 : 0x010101u * (1 + (x + y) % 200);
            not_black += !black;
        }
    const std::vector<ShapeRun> runs = NonBlackRuns(pixels.data(), w, h, stride);
    EXPECT_EQ(Covered(runs), not_black);
    for (const ShapeRun& run : runs) {
        ASSERT_LT(run.left, run.right);
        for (int x = run.left; x < run.right; ++x)
            ASSERT_NE(pixels[run.y * stride + x], 0u);
        // Runs are maximal: black (or the picture's edge) on both sides.
        EXPECT_TRUE(run.left == 0 || pixels[run.y * stride + run.left - 1] == 0);
        EXPECT_TRUE(run.right == w || pixels[run.y * stride + run.right] == 0);
    }
}
} // namespace
