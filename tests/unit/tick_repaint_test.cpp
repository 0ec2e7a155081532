// The tick's repaint on a fake platform: each failure to get a context, a region or the
// pending paint falls back to invalidating the window and its moved signs and marks nothing
// painted, nothing made is left behind, and an invalidation that comes in while the tick draws
// stays to be painted.
#include "scene/tick_repaint.h"
#include <gtest/gtest.h>
#include <set>

namespace {
struct FakeTick {
    int fail_region = 0; // the n-th region fails (1-based); 0: none
    bool fail_dc = false, fail_pending = false;
    bool expose_while_drawing = false;
    int regions = 0, live_regions = 0, live_dcs = 0, live_pending = 0;
    int draws = 0, validations = 0, invalidations = 0;
    std::set<int> to_paint;      // areas the window has to paint
    std::set<int> kept_pending;  // what the tick took at its start
    bool signs_unpainted = true; // the tick moved its signs before it repaints
};
FakeTick tick;
int dummy;
void* const kHandle = &dummy;

const TickRepaintOps fake_ops = {
    [](void*) -> void* {
        if (tick.fail_dc)
            return nullptr;
        ++tick.live_dcs;
        return kHandle;
    },
    [](void*, void*) { --tick.live_dcs; },
    [](void*) -> void* {
        if (++tick.regions == tick.fail_region)
            return nullptr;
        ++tick.live_regions;
        return kHandle;
    },
    [](void*) { --tick.live_regions; },
    [](void*) -> void* {
        if (tick.fail_pending)
            return nullptr;
        ++tick.live_pending;
        tick.kept_pending = tick.to_paint;
        return kHandle;
    },
    [](void*) { --tick.live_pending; },
    [](void*, void*, void*, void*) {
        ++tick.draws;
        tick.signs_unpainted = false;
        if (tick.expose_while_drawing)
            tick.to_paint.insert(99);
    },
    [](void*, void*) {
        ++tick.validations;
        for (int area : tick.kept_pending)
            tick.to_paint.erase(area);
    },
    [](void*) {
        ++tick.invalidations;
        tick.signs_unpainted = false;
    },
};

struct RepaintRow {
    const char* name;
    bool fail_dc;
    int fail_region;
    bool fail_pending;
    bool draws;
};

TEST(TickRepaint, DrawsAtOnceOrFallsBackToAnInvalidation)
{
    const RepaintRow rows[] = {
        {"all made", false, 0, false, true},
        {"no context", true, 0, false, false},
        {"no region around the signs", false, 1, false, false},
        {"no region for a shape", false, 2, false, false},
        {"no record of the pending paint", false, 0, true, false},
    };
    for (const RepaintRow& row : rows) {
        tick = FakeTick();
        tick.fail_dc = row.fail_dc;
        tick.fail_region = row.fail_region;
        tick.fail_pending = row.fail_pending;
        tick.to_paint = {1, 2};
        RepaintTick(fake_ops, kHandle);
        EXPECT_EQ(tick.draws, row.draws ? 1 : 0) << row.name;
        EXPECT_EQ(tick.validations, row.draws ? 1 : 0) << row.name;
        EXPECT_EQ(tick.invalidations, row.draws ? 0 : 1) << row.name;
        EXPECT_EQ(tick.to_paint.empty(), row.draws) << row.name; // painted only when drawn
        EXPECT_FALSE(tick.signs_unpainted) << row.name; // drawn now or invalidated with the window
        EXPECT_EQ(tick.live_regions + tick.live_dcs + tick.live_pending, 0) << row.name;
    }
}

TEST(TickRepaint, AnInvalidationWhileItDrawsStaysToBePainted)
{
    tick = FakeTick();
    tick.to_paint = {1, 2};
    tick.expose_while_drawing = true;
    RepaintTick(fake_ops, kHandle);
    EXPECT_EQ(tick.to_paint, std::set<int>{99});
}
} // namespace
