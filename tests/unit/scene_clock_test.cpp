// The tick's elapsed-time rules and the melt window.
#include "scene/scene_clock.h"
#include <gtest/gtest.h>

TEST(SceneClock, ElapsedTimeOfATick)
{
    struct Case {
        uint32_t now, last, elapsed;
    } cases[] = {
        {1500, 1000, 500},
        {1000, 1000, 0},
        {0xFFFFFFFFu, 0xFFFFFE0Bu, 500},
        {100, 0xFFFFFF00u, 0}, // the counter wrapped: the signs get no time
        {0, 1, 0},
        {0xFFFFFFFFu, 0, 0xFFFFFFFFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TickElapsed(c.now, c.last), c.elapsed) << c.now << " " << c.last;
}

TEST(SceneClock, MeltsOnlyWhileYoungerThanTheMeltWindow)
{
    struct Case {
        uint32_t now, start;
        bool melting;
    } cases[] = {
        {1000, 1000, true},
        {1000 + 5999999, 1000, true},
        {1000 + 6000000, 1000, false},
        {1000 + 9000000, 1000, false},
        {100, 0xFFFFFF00u, true},                   // age 356 across the wrap
        {6000000u - 0x100u - 1, 0xFFFFFF00u, true}, // age 5,999,999 across the wrap
        {6000000u - 0x100u, 0xFFFFFF00u, false},    // age 6,000,000 across the wrap
    };
    for (const Case& c : cases)
        EXPECT_EQ(SceneStillMelting(c.now, c.start), c.melting) << c.now << " " << c.start;
}
