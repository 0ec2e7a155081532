// The dismissal filter: each row of its table, mouse travel from the anchor, the four states,
// the close and verify requests on both platforms, and the AutoPlay answer.
#include "common/messages.h"
#include "host/dismissal_filter.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
constexpr intptr_t kDefaultAnswer = 0x5EED;
constexpr uint32_t kAutoPlay = 0xC0DE;

// What the filter did through its operations during one call.
struct Seen {
    int posted_closes = 0;
    int hidden_cursor = 0;
    std::vector<uint32_t> defaulted;
    int verify_on_close_calls = 0;
    int verifier_calls = 0;
    CursorPoint cursor = {100, 100};
    uint32_t verify_on_close_answer = 1;
    intptr_t verifier_answer = 1;
};
Seen seen;

const FilterOps fake_ops = {
    [](void*) { ++seen.posted_closes; },
    [] { return seen.cursor; },
    [] { ++seen.hidden_cursor; },
    [](void*, uint32_t message, uintptr_t, intptr_t) {
        seen.defaulted.push_back(message);
        return kDefaultAnswer;
    },
    [](void*) {
        ++seen.verify_on_close_calls;
        return seen.verify_on_close_answer;
    },
    [](void*, void*) {
        ++seen.verifier_calls;
        return seen.verifier_answer;
    },
};

void* const kWindow = reinterpret_cast<void*>(0x1234);
void* const kVerifier = reinterpret_cast<void*>(0x5678);

SaverState Watching()
{
    SaverState state;
    state.last_cursor = {100, 100};
    return state;
}

intptr_t Filter(SaverState& state, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0)
{
    return FilterSaverMessage(state, fake_ops, kWindow, message, wparam, lparam);
}

struct Row {
    const char* name;
    uint32_t message;
    uintptr_t wparam;
    int closes;     // close requests posted
    int hides;      // cursor hidden
    bool defaulted; // reached the default procedure
};

TEST(DismissalFilter, EachRowOfTheTableWhileWatching)
{
    const Row rows[] = {
        {"show", msg::kShowWindow, 1, 0, 1, true},
        {"hide", msg::kShowWindow, 0, 0, 0, true},
        {"activation lost", msg::kActivateApp, 0, 1, 0, true},
        {"activation gained", msg::kActivateApp, 1, 0, 0, true},
        {"set cursor", msg::kSetCursor, 0, 0, 1, false},
        {"critical resume", msg::kPower, msg::kPowerCriticalResume, 1, 0, true},
        {"other power", msg::kPower, 2, 0, 0, true},
        {"key", msg::kKeyDown, 'A', 1, 0, true},
        {"system key", msg::kSysKeyDown, 0x12, 1, 0, true},
        {"left button", msg::kLButtonDown, 0, 1, 0, true},
        {"right button", msg::kRButtonDown, 0, 1, 0, true},
        {"middle button", msg::kMButtonDown, 0, 1, 0, true},
        {"query suspend", msg::kPowerBroadcast, 0x0000, 1, 0, true},
        {"query standby", msg::kPowerBroadcast, 0x0001, 1, 0, true},
        {"query suspend failed", msg::kPowerBroadcast, 0x0002, 0, 0, true},
        {"suspend", msg::kPowerBroadcast, 0x0004, 1, 0, true},
        {"standby", msg::kPowerBroadcast, 0x0005, 1, 0, true},
        {"resume critical", msg::kPowerBroadcast, 0x0006, 1, 0, true},
        {"resume suspend", msg::kPowerBroadcast, 0x0007, 1, 0, true},
        {"resume standby", msg::kPowerBroadcast, 0x0008, 1, 0, true},
        {"resume automatic", msg::kPowerBroadcast, 0x0012, 1, 0, true},
        {"battery low", msg::kPowerBroadcast, 0x0009, 0, 0, true},
        {"power status change", msg::kPowerBroadcast, 0x000A, 0, 0, true},
        {"OEM event", msg::kPowerBroadcast, 0x000B, 0, 0, true},
        {"power setting change", msg::kPowerBroadcast, 0x8013, 0, 0, true},
        {"key release", msg::kKeyUp, 'A', 0, 0, true},
        {"character", msg::kChar, 'a', 0, 0, true},
        {"button release", msg::kLButtonUp, 0, 0, 0, true},
        {"double click", msg::kLButtonDblClk, 0, 0, 0, true},
        {"wheel", msg::kMouseWheel, 120 << 16, 0, 0, true},
        {"timer", msg::kTimer, 1, 0, 0, true},
        {"null", msg::kNull, 0, 0, 0, true},
    };
    for (const Row& row : rows) {
        seen = Seen();
        SaverState state = Watching();
        const intptr_t result = Filter(state, row.message, row.wparam);
        EXPECT_EQ(seen.posted_closes, row.closes) << row.name;
        EXPECT_EQ(seen.hidden_cursor, row.hides) << row.name;
        EXPECT_EQ(!seen.defaulted.empty(), row.defaulted) << row.name;
        EXPECT_EQ(result, row.defaulted ? kDefaultAnswer : 1) << row.name;
    }
}

struct Travel {
    const char* name;
    std::vector<CursorPoint> moves;
    int closes;
    CursorPoint anchor_after;
};

TEST(DismissalFilter, MouseTravelCountsFromTheAnchor)
{
    const Travel travels[] = {
        {"still", {{100, 100}}, 0, {100, 100}},
        {"2 + 2", {{102, 102}}, 0, {100, 100}},
        {"3 + 2", {{103, 102}}, 1, {103, 102}},
        {"5 left", {{95, 100}}, 1, {95, 100}},
        {"1-pixel steps",
         {{101, 100}, {102, 100}, {103, 100}, {104, 100}, {105, 100}},
         1,
         {105, 100}},
        {"3 away and back",
         {{101, 100}, {102, 100}, {103, 100}, {102, 100}, {100, 100}},
         0,
         {100, 100}},
        {"far", {{-2000000000, 2000000000}}, 1, {-2000000000, 2000000000}},
    };
    for (const Travel& travel : travels) {
        seen = Seen();
        SaverState state = Watching();
        for (CursorPoint move : travel.moves) {
            seen.cursor = move;
            Filter(state, msg::kMouseMove, 0, 0x7FFF7FFF); // lParam's position is not used
        }
        EXPECT_EQ(seen.posted_closes, travel.closes) << travel.name;
        EXPECT_EQ(state.last_cursor.x, travel.anchor_after.x) << travel.name;
        EXPECT_EQ(state.last_cursor.y, travel.anchor_after.y) << travel.name;
    }
    // After a dismissing move the anchor is the new place: a rest there does not dismiss again.
    seen = Seen();
    SaverState state = Watching();
    seen.cursor = {110, 100};
    Filter(state, msg::kMouseMove);
    Filter(state, msg::kMouseMove);
    EXPECT_EQ(seen.posted_closes, 1);
}

TEST(DismissalFilter, TravelRuleBoundary)
{
    EXPECT_FALSE(MouseTravelDismisses({0, 0}, {4, 0}, 4));
    EXPECT_FALSE(MouseTravelDismisses({0, 0}, {-2, 2}, 4));
    EXPECT_TRUE(MouseTravelDismisses({0, 0}, {-3, 2}, 4));
    EXPECT_TRUE(MouseTravelDismisses({INT32_MIN, 0}, {INT32_MAX, 0}, 4));
    // 2^32 - 1 across and 1 down: the sum saturates rather than wrapping to 0.
    EXPECT_TRUE(MouseTravelDismisses({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN + 1}, 4));
    EXPECT_TRUE(MouseTravelDismisses({INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}, 0xFFFFFFFFu));
}

// A run of mouse events from the origin 100,100, with the verdict of each: S stays, H holds,
// E ends. A move that comes with a change of the screens takes the origin again there.
struct MoveEvent {
    bool time_ran_out; // the held move's time, not a move
    CursorPoint at;
    bool screens_changed;
};

TEST(DismissalFilter, AHandsMoveEndsAtOnceTheSystemsJumpIsHeld)
{
    const struct {
        const char* name;
        std::vector<MoveEvent> events;
        const char* verdicts;
    } rows[] = {
        {"one jump, then the screens change",
         {{false, {612, 100}, false}, {true, {612, 100}, true}},
         "HS"},
        {"one jump, moves to the same place, then the screens change",
         {{false, {612, 100}, false}, {false, {612, 100}, false}, {true, {612, 100}, true}},
         "HHS"},
        {"a hand's stream of 3-pixel steps",
         {{false, {103, 100}, false}, {false, {106, 100}, false}, {false, {109, 100}, false}},
         "SHE"},
        {"4 pixels keep it; 5 are held and end it when the time runs out",
         {{false, {102, 102}, false}, {false, {103, 102}, false}, {true, {103, 102}, false}},
         "SHE"},
        {"held, then back within 4 of the origin",
         {{false, {110, 100}, false}, {false, {102, 100}, false}, {true, {102, 100}, false}},
         "HSS"},
        {"a late tick with nothing held", {{true, {612, 100}, false}}, "S"},
        {"a move during a change of the screens",
         {{false, {612, 100}, true}, {false, {612, 100}, false}},
         "SS"},
        {"held, then the screens change with the next move elsewhere",
         {{false, {612, 100}, false}, {false, {700, 100}, true}, {false, {700, 100}, false}},
         "HSS"},
        {"a stream after a change of the screens",
         {{false, {612, 100}, true},
          {false, {615, 100}, false},
          {false, {618, 100}, false},
          {false, {621, 100}, false}},
         "SSHE"},
    };
    const char kVerdict[] = {'S', 'H', 'E'};
    for (const auto& row : rows) {
        HeldMove hold = {};
        CursorPoint origin = {100, 100};
        std::string verdicts;
        for (const MoveEvent& e : row.events) {
            if (e.screens_changed)
                origin = e.at;
            const MoveVerdict v =
                e.time_ran_out ? JudgeHeldMoveAtLast(hold, origin, e.at, 4, e.screens_changed)
                               : JudgeMouseMove(hold, origin, e.at, 4, e.screens_changed);
            verdicts += kVerdict[static_cast<int>(v)];
        }
        EXPECT_EQ(verdicts, row.verdicts) << row.name;
    }
}

enum class State { Preview, Checking, Granted };

SaverState InState(State which)
{
    SaverState state = Watching();
    state.is_win9x = true;
    state.verify_password = kVerifier;
    state.autoplay_message = kAutoPlay;
    if (which == State::Preview)
        state.is_preview = true;
    if (which == State::Checking)
        state.checking_password = true;
    if (which == State::Granted)
        state.close_granted = 1;
    return state;
}

TEST(DismissalFilter, NoInputDismissesOutsideTheWatchingState)
{
    const uint32_t inputs[] = {msg::kKeyDown,     msg::kSysKeyDown,  msg::kLButtonDown,
                               msg::kRButtonDown, msg::kMButtonDown, msg::kPowerBroadcast,
                               msg::kActivateApp, msg::kMouseMove,   msg::kSetCursor,
                               msg::kShowWindow};
    for (State which : {State::Preview, State::Checking, State::Granted}) {
        for (uint32_t message : inputs) {
            seen = Seen();
            seen.cursor = {500, 500};
            SaverState state = InState(which);
            EXPECT_EQ(Filter(state, message, message == msg::kShowWindow ? 1 : 0), kDefaultAnswer);
            EXPECT_EQ(seen.posted_closes, 0) << int(which) << " " << message;
            EXPECT_EQ(seen.hidden_cursor, 0) << int(which) << " " << message;
            EXPECT_EQ(state.last_cursor.x, 100);
        }
    }
}

TEST(DismissalFilter, CloseRequests)
{
    // NT family: straight to the default procedure, which destroys the window.
    seen = Seen();
    SaverState nt = Watching();
    EXPECT_EQ(Filter(nt, msg::kClose), kDefaultAnswer);
    EXPECT_EQ(seen.verify_on_close_calls, 0);

    // Windows 9x, granted: default procedure.
    seen = Seen();
    SaverState granted = Watching();
    granted.is_win9x = true;
    EXPECT_EQ(Filter(granted, msg::kClose), kDefaultAnswer);
    EXPECT_EQ(seen.verify_on_close_calls, 1);

    // Windows 9x, refused: 0, no default, the anchor moves to the cursor.
    seen = Seen();
    seen.verify_on_close_answer = 0;
    seen.cursor = {300, 200};
    SaverState refused = Watching();
    refused.is_win9x = true;
    EXPECT_EQ(Filter(refused, msg::kClose), 0);
    EXPECT_TRUE(seen.defaulted.empty());
    EXPECT_EQ(refused.last_cursor.x, 300);
    EXPECT_EQ(refused.last_cursor.y, 200);

    // While checking, a close still goes to the check (which refuses it).
    seen = Seen();
    seen.verify_on_close_answer = 0;
    SaverState checking = InState(State::Checking);
    EXPECT_EQ(Filter(checking, msg::kClose), 0);
    EXPECT_EQ(seen.verify_on_close_calls, 1);

    // In the preview and once granted: default at once.
    for (State which : {State::Preview, State::Granted}) {
        seen = Seen();
        SaverState state = InState(which);
        EXPECT_EQ(Filter(state, msg::kClose), kDefaultAnswer);
        EXPECT_EQ(seen.verify_on_close_calls, 0);
    }
}

TEST(DismissalFilter, VerifyRequest)
{
    seen = Seen();
    SaverState nt = Watching();
    EXPECT_EQ(Filter(nt, msg::kApp), kDefaultAnswer);

    seen = Seen();
    SaverState no_verifier = Watching();
    no_verifier.is_win9x = true;
    EXPECT_EQ(Filter(no_verifier, msg::kApp), 1);

    for (intptr_t answer : {intptr_t(0), intptr_t(1), intptr_t(-1), intptr_t(0x7FFFFFFF)}) {
        seen = Seen();
        seen.verifier_answer = answer;
        SaverState state = InState(State::Checking);
        EXPECT_EQ(Filter(state, msg::kApp), answer);
        EXPECT_EQ(seen.verifier_calls, 1);
        EXPECT_TRUE(seen.defaulted.empty());
    }
}

TEST(DismissalFilter, AutoPlayIsAnsweredInEveryState)
{
    for (bool verifier : {false, true}) {
        for (int which = -1; which < 3; ++which) {
            seen = Seen();
            SaverState state = which < 0 ? Watching() : InState(static_cast<State>(which));
            state.autoplay_message = kAutoPlay;
            state.verify_password = verifier ? kVerifier : nullptr;
            EXPECT_EQ(Filter(state, kAutoPlay), verifier ? 1 : 0);
            EXPECT_EQ(seen.posted_closes, 1);
            EXPECT_TRUE(seen.defaulted.empty());
        }
    }
    // Without a registered id, message 0 is just WM_NULL.
    seen = Seen();
    SaverState state = Watching();
    EXPECT_EQ(Filter(state, msg::kNull), kDefaultAnswer);
    EXPECT_EQ(seen.posted_closes, 0);
}
} // namespace
