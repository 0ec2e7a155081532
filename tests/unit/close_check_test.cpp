// The close check: one check at a time, the 200 ms lock-out counted from the end of a refused
// check (modulo 2^32), and the verifier's own answer kept.
#include "host/close_check.h"
#include <gtest/gtest.h>

namespace {
struct Clock {
    uint32_t now = 1000;
    uint32_t check_takes = 0; // ms that the verify request takes
    intptr_t answer = 0;
    int asked = 0;
    int dropped_ticks = 0;
    int hidden_cursor = 0;
    bool checking_while_asked = false;
    SaverState* state = nullptr;
};
Clock clock_;

const CloseCheckOps fake_ops = {
    [] { return clock_.now; },
    [](void*) { ++clock_.dropped_ticks; },
    [](void*) -> intptr_t {
        ++clock_.asked;
        clock_.checking_while_asked = clock_.state->checking_password;
        clock_.now += clock_.check_takes;
        return clock_.answer;
    },
    [] { ++clock_.hidden_cursor; },
};

SaverState WithVerifier()
{
    SaverState state;
    state.is_win9x = true;
    state.verify_password = reinterpret_cast<void*>(0x99);
    return state;
}

uint32_t Check(SaverState& state)
{
    clock_.state = &state;
    return CheckCloseRequest(state, fake_ops, nullptr);
}

TEST(CloseCheck, WithoutAVerifierTheFirstCloseIsGranted)
{
    clock_ = Clock();
    SaverState state;
    state.is_win9x = true;
    EXPECT_EQ(Check(state), 1u);
    EXPECT_EQ(state.close_granted, 1u);
    EXPECT_EQ(clock_.asked, 0);
}

TEST(CloseCheck, AskingSetsCheckingDropsTicksAndKeepsTheAnswer)
{
    for (intptr_t answer : {intptr_t(1), intptr_t(7), intptr_t(-1)}) {
        clock_ = Clock();
        clock_.answer = answer;
        SaverState state = WithVerifier();
        EXPECT_EQ(Check(state), static_cast<uint32_t>(answer));
        EXPECT_EQ(state.close_granted, static_cast<uint32_t>(answer));
        EXPECT_TRUE(clock_.checking_while_asked);
        EXPECT_FALSE(state.checking_password);
        EXPECT_EQ(clock_.dropped_ticks, 1);
        EXPECT_EQ(clock_.hidden_cursor, 0);
    }
}

TEST(CloseCheck, ACheckUnderWayRefusesWithoutAsking)
{
    clock_ = Clock();
    SaverState state = WithVerifier();
    state.checking_password = true;
    EXPECT_EQ(Check(state), 0u);
    EXPECT_EQ(clock_.asked, 0);
}

struct LockOut {
    uint32_t check_ends;
    uint32_t next_request;
    bool asks_again;
};

TEST(CloseCheck, RefusalLocksOutForTwoHundredMsFromTheEndOfTheCheck)
{
    const LockOut cases[] = {
        {1000, 1199, false},
        {1000, 1200, true},
        {1000, 1000, false},
        {0xFFFFFF00u, 0xFFFFFF00u + 199, false},
        {0xFFFFFF00u, 0xFFFFFF00u + 200, true},
        {0xFFFFFFA0u, 0x00000067u, false},     // 199 ms across the wrap
        {0xFFFFFFA0u, 0x00000068u, true},      // 200 ms across the wrap
        {0xFFFFFFFFu, 0xFFFFFFFFu + 10, false}, // a check ending at -1 locks out too
        {0xFFFFFFFFu, 0xFFFFFFFFu + 200, true},
    };
    for (const LockOut& c : cases) {
        clock_ = Clock();
        clock_.now = c.check_ends - 5000;
        clock_.check_takes = 5000; // the interval counts from the end, not the start
        SaverState state = WithVerifier();
        EXPECT_EQ(Check(state), 0u);
        EXPECT_EQ(state.last_check_tick, c.check_ends);
        EXPECT_EQ(clock_.hidden_cursor, 1);
        clock_.now = c.next_request;
        clock_.check_takes = 0;
        Check(state);
        EXPECT_EQ(clock_.asked, c.asks_again ? 2 : 1) << c.check_ends << " " << c.next_request;
    }
}

TEST(CloseCheck, TheFirstRequestAlwaysAsks)
{
    clock_ = Clock();
    clock_.now = 0xFFFFFFFFu;
    SaverState state = WithVerifier();
    Check(state);
    EXPECT_EQ(clock_.asked, 1);
}
} // namespace
