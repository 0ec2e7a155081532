// A property of the dismissal filter and the close check wired together as on Windows 9x with
// a verifier loaded: over thousands of random message sequences, the saver closes only after
// the verifier accepted, and never starts a second check while one runs.
#include "common/messages.h"
#include "host/close_check.h"
#include "host/dismissal_filter.h"
#include <deque>
#include <gtest/gtest.h>
#include <random>

namespace {
struct World {
    SaverState state;
    std::mt19937 random{1};
    std::deque<uint32_t> queue; // posted messages
    uint32_t clock = 0;
    CursorPoint cursor = {0, 0};
    int checks_under_way = 0;
    int most_checks_at_once = 0;
    bool destroyed = false;
    bool last_verdict_accepted = false;
    int dialog_nesting = 0;
};
World* world = nullptr;

uint32_t RandomMessage()
{
    const uint32_t messages[] = {msg::kKeyDown,     msg::kSysKeyDown,     msg::kLButtonDown,
                                 msg::kRButtonDown, msg::kMButtonDown,    msg::kMouseMove,
                                 msg::kMouseMove,   msg::kClose,          msg::kActivateApp,
                                 msg::kPower,       msg::kPowerBroadcast, msg::kTimer,
                                 msg::kSetCursor,   msg::kKeyUp,          msg::kShowWindow};
    return messages[world->random() % (sizeof messages / sizeof messages[0])];
}

intptr_t Deliver(uint32_t message);

const CloseCheckOps check_ops = {
    [] { return world->clock; },
    [](void*) {},
    [](void*) -> intptr_t {
        ++world->checks_under_way;
        world->most_checks_at_once = std::max(world->most_checks_at_once, world->checks_under_way);
        const intptr_t verdict = Deliver(msg::kApp); // down the layers to the filter
        --world->checks_under_way;
        return verdict;
    },
    [] {},
};

const FilterOps filter_ops = {
    [](void*) { world->queue.push_back(msg::kClose); },
    [] { return world->cursor; },
    [] {},
    [](void*, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
        if (message == msg::kClose) {
            // The default procedure destroys the window: the close must have been granted.
            EXPECT_TRUE(world->last_verdict_accepted);
            EXPECT_NE(world->state.close_granted, 0u);
            world->destroyed = true;
        }
        return 0;
    },
    [](void* window) { return CheckCloseRequest(world->state, check_ops, window); },
    [](void*, void*) -> intptr_t {
        // The verifier's dialog: its own loop delivers more input and closes meanwhile.
        ++world->dialog_nesting;
        EXPECT_EQ(world->dialog_nesting, 1);
        const int nested = static_cast<int>(world->random() % 6);
        for (int i = 0; i < nested; ++i) {
            world->clock += world->random() % 120;
            Deliver(RandomMessage());
        }
        while (!world->queue.empty() && world->random() % 2) {
            const uint32_t message = world->queue.front();
            world->queue.pop_front();
            Deliver(message);
        }
        world->clock += world->random() % 400;
        const intptr_t verdicts[] = {0, 0, 0, 1, 7, -1, 0x7FFFFFFF};
        const intptr_t verdict = verdicts[world->random() % 7];
        world->last_verdict_accepted = verdict != 0;
        --world->dialog_nesting;
        return verdict;
    },
};

intptr_t Deliver(uint32_t message)
{
    if (message == msg::kMouseMove) {
        world->cursor.x += static_cast<int32_t>(world->random() % 7) - 3;
        world->cursor.y += static_cast<int32_t>(world->random() % 7) - 3;
    }
    const uintptr_t wparam = world->random() % 4;
    return FilterSaverMessage(world->state, filter_ops, nullptr, message, wparam, 0);
}

TEST(CloseProperty, ClosesOnlyAfterAnAcceptedCheckAndChecksOneAtATime)
{
    int closed_runs = 0;
    for (uint32_t run = 0; run < 3000; ++run) {
        World w;
        world = &w;
        w.random.seed(run);
        w.state.is_win9x = true;
        w.state.verify_password = reinterpret_cast<void*>(0x99);
        w.clock = run % 2 ? 0xFFFFF000u : 5000; // half the runs cross the tick counter's wrap
        for (int step = 0; step < 80 && !w.destroyed; ++step) {
            w.clock += w.random() % 150;
            if (!w.queue.empty() && w.random() % 2) {
                const uint32_t message = w.queue.front();
                w.queue.pop_front();
                Deliver(message);
            } else {
                Deliver(RandomMessage());
            }
            ASSERT_FALSE(w.state.checking_password);
        }
        EXPECT_LE(w.most_checks_at_once, 1);
        closed_runs += w.destroyed;
    }
    world = nullptr;
    EXPECT_GT(closed_runs, 1000); // the property was exercised on closing runs, not only refusals
}
} // namespace
