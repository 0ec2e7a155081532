// Placement of the configuration dialog on the work area.
#include "host/dialog_placement.h"
#include <gtest/gtest.h>

TEST(DialogPlacement, CentresOnTheWorkAreaSizeAndClampsAtZero)
{
    struct Case {
        PlainRect work;
        PlainRect dialog;
        int32_t x, y;
    } cases[] = {
        {{0, 0, 1024, 738}, {0, 0, 230, 100}, 397, 319},
        {{0, 0, 1024, 738}, {500, 400, 730, 500}, 397, 319}, // where it stands plays no part
        {{100, 0, 1024, 768}, {0, 0, 300, 100}, 312, 334},   // the work area's left is not added
        {{0, 0, 1024, 768}, {0, 0, 231, 100}, 396, 334},     // odd differences truncate
        {{0, 0, 1024, 768}, {0, 0, 1100, 900}, 0, 0},        // larger than the work area
        {{0, 0, 1024, 768}, {0, 0, 1025, 769}, 0, 0},        // -1 / 2 is 0, never negative
        {{0, 50, 800, 600}, {0, 0, 200, 100}, 300, 225},
        // Sizes past int32 neither wrap nor overflow: kept at 0..INT32_MAX.
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, 1, 1}, INT32_MAX, INT32_MAX},
        {{INT32_MIN, 0, INT32_MAX, 0},
         {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
         INT32_MAX,
         INT32_MAX},
        {{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, {0, 0, 10, 10}, 0, 0},
    };
    for (const Case& c : cases) {
        const DialogPosition place = PlaceConfigDialog(c.work, c.dialog);
        EXPECT_EQ(place.x, c.x) << c.work.left << "," << c.work.top;
        EXPECT_EQ(place.y, c.y) << c.work.left << "," << c.work.top;
    }
}
