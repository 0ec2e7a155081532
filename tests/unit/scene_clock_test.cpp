// The tick's elapsed-time rules, the melt window, and what a tick does past it.
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

TEST(SceneClock, AfterTheMeltWindowTheSignsStillGetTheirTime)
{
    const uint32_t start = 0xFFFF0000u; // across the wrap, too
    struct Case {
        uint32_t age;
        bool melt;
    } cases[] = {{5999500, true}, {6000000, false}, {6000500, false}, {90000000, false}};
    for (const Case& c : cases) {
        const TickPlan plan = PlanSceneTick(start + c.age, start + c.age - 500, start);
        EXPECT_EQ(plan.sign_elapsed, 500u) << c.age;
        EXPECT_EQ(plan.melt, c.melt) << c.age;
    }
}
