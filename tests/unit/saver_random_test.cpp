// SaverRandom: the fixed sequence every run draws.
#include "common/saver_random.h"
#include <gtest/gtest.h>

TEST(SaverRandom, DrawsTheFixedSequenceFromTheStart)
{
    RestartSaverRandom();
    const uint32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (uint32_t value : expected)
        EXPECT_EQ(SaverRandom(), value);
}

TEST(SaverRandom, StaysWithinFifteenBits)
{
    RestartSaverRandom();
    uint32_t highest = 0;
    for (int i = 0; i < 100000; ++i)
        highest = std::max(highest, SaverRandom());
    EXPECT_EQ(highest, 32767u);
}
