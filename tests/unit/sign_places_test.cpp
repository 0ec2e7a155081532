// Which places the monitors show: points and whole rectangles over layouts with gaps, and the
// place made on a monitor when no drawn one is shown.
#include "scene/sign_places.h"
#include <gtest/gtest.h>

namespace {
// Client coordinates of a 1824 x 768 box: an 800 x 600 monitor left of a 1024 x 768 one, with
// the strip below the smaller one shown by neither.
const MonitorLayout kLeftOfPrimary = {2, {{0, 0, 800, 600}, {800, 0, 1824, 768}}};

struct ShowRow {
    PlainRect rect;
    bool point; // its top-left corner
    bool whole;
};

TEST(SignPlaces, PointsAndRectanglesTheMonitorsShow)
{
    const ShowRow rows[] = {
        {{10, 10, 330, 130}, true, true},
        {{700, 100, 1020, 220}, true, true},   // across the two monitors, side by side
        {{700, 500, 1020, 620}, true, false},  // overhangs the strip below the smaller one
        {{100, 600, 420, 720}, false, false},  // in the strip
        {{799, 599, 800, 600}, true, true},    // the smaller one's last pixel
        {{800, 600, 1120, 720}, true, true},   // the larger one, just right of the strip
        {{1824, 0, 1900, 60}, false, false},   // past the right edge
        {{1700, 700, 1824, 768}, true, true},  // to the box's corner
        {{1700, 700, 1825, 768}, true, false}, // one past it
        {{500, 590, 500, 590}, true, true},    // empty: as its corner
    };
    for (const ShowRow& row : rows) {
        const PlainRect& r = row.rect;
        EXPECT_EQ(ShowsPoint(kLeftOfPrimary, r.left, r.top), row.point) << r.left << "," << r.top;
        EXPECT_EQ(ShowsWhole(kLeftOfPrimary, r), row.whole) << r.left << "," << r.top;
        // No monitors listed: everything shows.
        EXPECT_TRUE(ShowsWhole(MonitorLayout{}, r));
    }
}

TEST(SignPlaces, ALayoutKeepsTheFirstSixteenMonitorsListed)
{
    for (const int listed : {1, kMaxMonitors, kMaxMonitors + 1, 40}) {
        MonitorLayout layout = {};
        for (int i = 0; i < listed; ++i)
            AddListedMonitor(&layout, {i * 100, 0, i * 100 + 100, 80});
        const int kept = listed < kMaxMonitors ? listed : kMaxMonitors;
        EXPECT_EQ(layout.count, kept) << listed;
        EXPECT_TRUE(ShowsPoint(layout, (kept - 1) * 100, 0)) << listed; // the last one kept
        EXPECT_FALSE(ShowsPoint(layout, kept * 100, 0)) << listed;      // the next one listed
    }
}

TEST(SignPlaces, APlaceOnAMonitorFitsTheFirstThatHoldsTheSign)
{
    int32_t x = -1, y = -1;
    // Picked the first: 100 mod (800 - 320), 50 mod (600 - 120).
    ASSERT_TRUE(PlaceOnAMonitor(kLeftOfPrimary, 320, 120, 0, 100, 50, &x, &y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    // Picked the second (3 mod 2): 1000 mod (1024 - 320) from its left edge.
    ASSERT_TRUE(PlaceOnAMonitor(kLeftOfPrimary, 320, 120, 3, 1000, 700, &x, &y));
    EXPECT_EQ(x, 800 + 1000 % 704);
    EXPECT_EQ(y, 700 % 648);
    // Too wide for the smaller one: the larger one, whichever is picked; exactly its width: 0.
    ASSERT_TRUE(PlaceOnAMonitor(kLeftOfPrimary, 1024, 100, 0, 77, 5, &x, &y));
    EXPECT_EQ(x, 800);
    EXPECT_FALSE(PlaceOnAMonitor(kLeftOfPrimary, 1025, 100, 0, 77, 5, &x, &y));
    EXPECT_FALSE(PlaceOnAMonitor(MonitorLayout{}, 10, 10, 0, 1, 1, &x, &y));
}
} // namespace
