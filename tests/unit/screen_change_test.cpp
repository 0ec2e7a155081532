// A change of the screens as a plan: what the Backdrop keeps and from where, the newly shown
// parts (which with the kept part tile the new box exactly), the signs' shift, and whether the
// colours are measured again.
#include "scene/screen_change.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
struct ChangeRow {
    const char* name;
    PlainRect before, after;
    int depth_before, depth_after;
    PlainRect kept;
    int32_t from_x, from_y;
    int fresh_count;
    bool measure;
};

bool Holds(const PlainRect& r, int x, int y)
{
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

TEST(ScreenChange, KeepsTheOverlapAndFindsTheNewlyShownParts)
{
    const ChangeRow rows[] = {
        {"nothing changed",
         {0, 0, 1024, 768},
         {0, 0, 1024, 768},
         24,
         24,
         {0, 0, 1024, 768},
         0,
         0,
         0,
         false},
        {"a monitor added right",
         {0, 0, 1824, 768},
         {0, 0, 2624, 768},
         24,
         24,
         {0, 0, 1824, 768},
         0,
         0,
         1,
         false},
        {"a monitor removed right",
         {0, 0, 2624, 768},
         {0, 0, 1824, 768},
         24,
         24,
         {0, 0, 1824, 768},
         0,
         0,
         0,
         false},
        {"a monitor added left",
         {0, 0, 1024, 768},
         {-800, 0, 1024, 768},
         24,
         24,
         {800, 0, 1824, 768},
         0,
         0,
         1,
         false},
        {"the top-left monitor removed",
         {-1000, -700, 1824, 768},
         {0, 0, 1824, 768},
         24,
         24,
         {0, 0, 1824, 768},
         1000,
         700,
         0,
         false},
        {"a taller monitor below and wider",
         {0, 0, 1024, 768},
         {0, 0, 1280, 1024},
         24,
         24,
         {0, 0, 1024, 768},
         0,
         0,
         2,
         false},
        {"grown on all sides",
         {0, 0, 100, 100},
         {-10, -10, 110, 110},
         24,
         24,
         {10, 10, 110, 110},
         0,
         0,
         4,
         false},
        {"moved apart: nothing kept",
         {0, 0, 800, 600},
         {1000, 0, 1800, 600},
         24,
         24,
         {0, 0, 0, 0},
         0,
         0,
         1,
         false},
        {"a new depth",
         {0, 0, 1024, 768},
         {0, 0, 1024, 768},
         24,
         16,
         {0, 0, 1024, 768},
         0,
         0,
         0,
         true},
        {"a new depth and size",
         {0, 0, 1024, 768},
         {0, 0, 800, 600},
         16,
         8,
         {0, 0, 800, 600},
         0,
         0,
         0,
         true},
    };
    for (const ChangeRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ScreenChange c =
            PlanScreenChange(row.before, row.after, row.depth_before, row.depth_after);
        EXPECT_EQ(c.kept.left, row.kept.left);
        EXPECT_EQ(c.kept.top, row.kept.top);
        EXPECT_EQ(c.kept.right, row.kept.right);
        EXPECT_EQ(c.kept.bottom, row.kept.bottom);
        if (row.kept.right > row.kept.left) {
            EXPECT_EQ(c.kept_from_x, row.from_x);
            EXPECT_EQ(c.kept_from_y, row.from_y);
        }
        EXPECT_EQ(c.fresh_count, row.fresh_count);
        EXPECT_EQ(c.measure_colours, row.measure);
        // Every pixel of the new box is kept or fresh, exactly once: a grid through the edges.
        const int w = row.after.right - row.after.left, h = row.after.bottom - row.after.top;
        std::vector<int> xs = {0, w - 1}, ys = {0, h - 1};
        for (const PlainRect& r : c.fresh) {
            xs.insert(xs.end(), {r.left - 1, r.left, r.right - 1, r.right});
            ys.insert(ys.end(), {r.top - 1, r.top, r.bottom - 1, r.bottom});
        }
        xs.insert(xs.end(), {c.kept.left - 1, c.kept.left, c.kept.right - 1, c.kept.right});
        ys.insert(ys.end(), {c.kept.top - 1, c.kept.top, c.kept.bottom - 1, c.kept.bottom});
        for (int x : xs)
            for (int y : ys) {
                if (x < 0 || y < 0 || x >= w || y >= h)
                    continue;
                int times = Holds(c.kept, x, y);
                for (int i = 0; i < c.fresh_count; ++i)
                    times += Holds(c.fresh[i], x, y);
                EXPECT_EQ(times, 1) << x << "," << y;
            }
        // The kept part of the old Backdrop is the same part of the screen.
        if (c.kept.right > c.kept.left) {
            EXPECT_EQ(row.after.left + c.kept.left, row.before.left + c.kept_from_x);
            EXPECT_EQ(row.after.top + c.kept.top, row.before.top + c.kept_from_y);
        }
    }
}

// A monitor left of or above the primary moves the box's origin: a sign keeps its place on the
// screen by the opposite shift of its client place.
TEST(ScreenChange, TheSignsShiftWithTheBoxsOrigin)
{
    const struct {
        const char* name;
        PlainRect before, after;
        int32_t shift_x, shift_y;
    } rows[] = {
        {"the left monitor goes", {-800, 0, 1024, 768}, {0, 0, 1024, 768}, -800, 0},
        {"the left monitor comes back", {0, 0, 1024, 768}, {-800, 0, 1024, 768}, 800, 0},
        {"the monitor above goes", {0, -600, 1024, 768}, {0, 0, 1024, 768}, 0, -600},
        {"the monitor above comes back", {0, 0, 1024, 768}, {0, -600, 1024, 768}, 0, 600},
        {"a monitor right comes", {0, 0, 1024, 768}, {0, 0, 1824, 768}, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ScreenChange c = PlanScreenChange(row.before, row.after, 24, 24);
        EXPECT_EQ(c.shift_x, row.shift_x);
        EXPECT_EQ(c.shift_y, row.shift_y);
    }
}
} // namespace
