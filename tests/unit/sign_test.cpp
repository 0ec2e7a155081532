// The Signs on a fake window platform: first placement from three draws, every failure row
// with its message and inert state, the destructor's region rule, the tick's drift and
// relocation, the overlap rule, and a simulated 100-minute scene.
#include "common/saver_random.h"
#include "scene/sign.h"
#include "scene/sign_motion.h"
#include "scene/sign_places.h"
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {
struct FakeWindow {
    PlainRect rect;
    bool alive;
    Sign* user_data;
    bool layered;
    void* region;
    bool shown;
};

struct Message {
    void* owner;
    std::string text;
    std::string caption;
};

// The fake platform's world: windows and regions are numbered handles.
struct Fake {
    std::vector<FakeWindow> windows;
    int regions_made = 0;
    std::map<uintptr_t, int> regions_deleted;
    std::vector<Message> messages;
    int registrations = 0;
    int registrations_to_fail = 0;
    bool fail_create = false, fail_copy = false, fail_attach = false;
    PlainRect parent = {0, 0, 1920, 1080};
    int quits = 0; // quit messages posted by destroyed windows
};
Fake fake;

void* const kParent = reinterpret_cast<void*>(0x5000);

FakeWindow& W(void* handle)
{
    return fake.windows[reinterpret_cast<uintptr_t>(handle) - 1];
}

const SignPlatform fake_platform = {
    [] { return ++fake.registrations > fake.registrations_to_fail; },
    [](void* bitmap) {
        const int size = static_cast<int>(reinterpret_cast<uintptr_t>(bitmap));
        return PixelSize{size, size * 3 / 8}; // a "bitmap" handle is its width
    },
    [](void*, int32_t w, int32_t h) -> void* {
        if (fake.fail_create)
            return nullptr;
        fake.windows.push_back({{0, 0, w, h}, true, nullptr, false, nullptr, false});
        return reinterpret_cast<void*>(fake.windows.size());
    },
    [](void* window, Sign* sign) { W(window).user_data = sign; },
    [](void* window) { W(window).layered = true; },
    []() -> void* {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(0x100 + ++fake.regions_made));
    },
    [](void*, void*) { return !fake.fail_copy; },
    [](void* window, void* region) {
        if (fake.fail_attach)
            return false;
        W(window).region = region;
        return true;
    },
    [](void*) { return fake.parent; },
    [](void* window, int32_t x, int32_t y) {
        PlainRect& r = W(window).rect;
        const auto clamp = [](int64_t v) {
            return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
        };
        r = {x, y, clamp(x + (static_cast<int64_t>(r.right) - r.left)),
             clamp(y + (static_cast<int64_t>(r.bottom) - r.top))};
    },
    [](void* window) { W(window).shown = true; },
    [](void* owner, const char* text, const char* caption) {
        fake.messages.push_back({owner, text, caption});
    },
    [](void* window) {
        W(window).alive = false;
        if (W(window).user_data != nullptr) // as the window's WM_DESTROY does
            ++fake.quits;
    },
    [](void* region) { ++fake.regions_deleted[reinterpret_cast<uintptr_t>(region)]; },
    [](void* window) { return W(window).rect; },
};

void* Bitmap(int width)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(width));
}
void* const kShape = reinterpret_cast<void*>(0x77);
void* const kDc = reinterpret_cast<void*>(0x88);

struct Scene {
    SignTable table = {};
    Sign* Make(int index, int width = 320)
    {
        table[index] = new Sign(kParent, table, Bitmap(width), kDc, kShape);
        return table[index];
    }
    ~Scene()
    {
        for (Sign*& sign : table) {
            delete sign;
            sign = nullptr;
        }
    }
};

void Fresh()
{
    fake = Fake();
    sign_platform = &fake_platform;
    sign_class_registered = 0;
    sign_monitors = {};
    RestartSaverRandom();
}

TEST(Sign, FirstPlacementsFromThreeDrawsEach)
{
    Fresh();
    Scene scene;
    Sign* first = scene.Make(0);
    Sign* second = scene.Make(1, 240);
    EXPECT_EQ(first->elapsed, 41u);
    EXPECT_EQ(W(first->window).rect.left, 574);
    EXPECT_EQ(W(first->window).rect.top, 107);
    EXPECT_EQ(second->elapsed, 250u);
    EXPECT_EQ(W(second->window).rect.left, 364);
    EXPECT_EQ(W(second->window).rect.top, 809);
    EXPECT_EQ(first->width, 320);
    EXPECT_EQ(first->height, 120);
    EXPECT_EQ(W(first->window).rect.right - W(first->window).rect.left, 320);
    EXPECT_TRUE(W(first->window).layered);
    EXPECT_TRUE(W(first->window).shown);
    EXPECT_EQ(W(first->window).user_data, first);
    EXPECT_EQ(W(first->window).region, first->region);
    EXPECT_EQ(first->image_dc, kDc);
    EXPECT_EQ(first->image_shape, kShape);
    EXPECT_EQ(first->table, scene.table);
    EXPECT_EQ(first->parent_rect.right, 1920);
    EXPECT_EQ(fake.registrations, 1); // the class is registered once
    EXPECT_TRUE(fake.messages.empty());
}

TEST(Sign, AnEmptyParentPlacesAtZero)
{
    for (PlainRect parent : {PlainRect{0, 0, 0, 500}, PlainRect{0, 0, 500, 0}}) {
        Fresh();
        fake.parent = parent;
        Scene scene;
        Sign* sign = scene.Make(0);
        EXPECT_EQ(W(sign->window).rect.left, parent.right == 0 ? 0 : 6334 % 500);
        EXPECT_EQ(W(sign->window).rect.top, parent.bottom == 0 ? 0 : 18467 % 500);
        EXPECT_EQ(SaverRandom(), 26500u); // three draws either way
    }
}

struct FailureRow {
    const char* name;
    bool* flag;
    const char* text; // nullptr: no message
    bool window_made_then_destroyed;
    bool keeps_region;
};

TEST(Sign, EachFailureLeavesAnInertSignAndDrawsNothing)
{
    const FailureRow rows[] = {
        {"create", &fake.fail_create, "CreateWindow() failed.", false, false},
        {"copy", &fake.fail_copy, "CombineRgn() failed.", true, true},
        {"attach", &fake.fail_attach, "SetWindowRgn() failed.", true, true},
    };
    for (const FailureRow& row : rows) {
        Fresh();
        *row.flag = true;
        Scene scene;
        Sign* failed = scene.Make(0);
        ASSERT_EQ(fake.messages.size(), 1u) << row.name;
        EXPECT_EQ(fake.messages[0].text, row.text);
        EXPECT_EQ(fake.messages[0].caption, "purlpurl");
        EXPECT_EQ(fake.messages[0].owner, kParent);
        EXPECT_EQ(failed->window, nullptr);
        EXPECT_EQ(failed->parent, kParent);
        EXPECT_EQ(failed->image_bitmap, Bitmap(320)); // read before the window was made
        EXPECT_EQ(failed->width, 320);
        EXPECT_EQ(failed->image_dc, nullptr);
        EXPECT_EQ(failed->image_shape, nullptr);
        EXPECT_EQ(failed->elapsed, 0u);
        EXPECT_EQ(fake.windows.size(), row.window_made_then_destroyed ? 1u : 0u);
        if (row.window_made_then_destroyed) {
            EXPECT_FALSE(fake.windows[0].alive);
        }
        EXPECT_EQ(fake.quits, 0) << row.name; // the saver goes on without this sign
        EXPECT_EQ(failed->region != nullptr, row.keeps_region);

        // The next Sign gets the draws the failed one would have had; an inert Sign
        // neither moves nor draws at a tick, nor counts in the overlap test.
        *row.flag = false;
        Sign* next = scene.Make(1);
        SignTick(failed, 5000);
        EXPECT_EQ(next->elapsed, 41u);
        SignTick(next, 500);
        EXPECT_EQ(W(next->window).rect.left, 575);
        EXPECT_EQ(W(next->window).rect.top, 107);
        EXPECT_FALSE(OverlapsOthers(next, {-100000, -100000, 100000, 100000}));
        EXPECT_EQ(SaverRandom(), 26500u);

        // Destruction deletes an unattached region exactly once.
        void* kept = failed->region;
        delete failed;
        scene.table[0] = nullptr;
        EXPECT_EQ(fake.regions_deleted[reinterpret_cast<uintptr_t>(kept)],
                  row.keeps_region ? 1 : 0);
    }
}

TEST(Sign, FailedRegistrationIsSilentAndRetriedByTheNext)
{
    Fresh();
    fake.registrations_to_fail = 1;
    Scene scene;
    Sign* first = scene.Make(0);
    EXPECT_EQ(first->window, nullptr);
    EXPECT_EQ(first->image_bitmap, nullptr);
    EXPECT_EQ(first->table, scene.table);
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(sign_class_registered, 0);
    Sign* second = scene.Make(1);
    EXPECT_NE(second->window, nullptr);
    EXPECT_EQ(sign_class_registered, 1);
    EXPECT_EQ(second->elapsed, 41u);
    scene.Make(2);
    EXPECT_EQ(fake.registrations, 2);
}

TEST(Sign, DestroyingALiveSignLeavesItsRegionToTheWindow)
{
    Fresh();
    {
        Scene scene;
        scene.Make(0);
    }
    EXPECT_FALSE(fake.windows[0].alive);
    EXPECT_TRUE(fake.regions_deleted.empty());
    EXPECT_EQ(fake.quits, 1); // the teardown still ends the saver
}

struct TickRow {
    uint32_t start;
    uint32_t dt;
    bool relocates;
    uint32_t after;
};

TEST(SignTick, DriftsBelowThreeSecondsAndRelocatesAtThem)
{
    const TickRow rows[] = {
        {2499, 500, false, 2999},
        {2500, 500, true, 0},
        {100, 0, false, 100},
        {41, 10000, true, (41 + 10000) % 3000},
        {2999, 0xFFFFFFFFu, false, 2998}, // the clock's addition wraps modulo 2^32
    };
    for (const TickRow& row : rows) {
        Fresh();
        Scene scene;
        Sign* sign = scene.Make(0, 160);
        sign->MoveSign(1900, 300); // partly beyond the right edge
        sign->elapsed = row.start;
        SignTick(sign, row.dt);
        const PlainRect r = W(sign->window).rect;
        EXPECT_EQ(sign->elapsed, row.after) << row.start << "+" << row.dt;
        if (row.relocates) {
            // The fourth and fifth draws, 26500 and 19169, over the spans 1920 - 160, 1080 - 60.
            EXPECT_EQ(r.left, 100);
            EXPECT_EQ(r.top, 809);
        } else {
            EXPECT_EQ(r.left, 1901); // one pixel right, beyond the edge too
            EXPECT_EQ(r.top, 300);
        }
    }
}

TEST(SignTick, RectanglesAtTheInt32LimitsNeitherWrapNorOverflow)
{
    Fresh();
    Scene scene;
    Sign* sign = scene.Make(0, 160);
    W(sign->window).rect = {INT32_MAX, 0, INT32_MAX, 60};
    sign->elapsed = 0;
    SignTick(sign, 500);
    EXPECT_EQ(W(sign->window).rect.left, INT32_MAX); // the creep stops at the limit

    // A window as wide as int32 allows: its span is clamped, the draws place it as ever.
    W(sign->window).rect = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    sign->elapsed = 2999;
    RestartSaverRandom();
    SignTick(sign, 1);
    EXPECT_EQ(W(sign->window).rect.left, 41);
    EXPECT_EQ(W(sign->window).rect.top, 18467);
    EXPECT_EQ(W(sign->window).rect.right, INT32_MAX);
    EXPECT_EQ(SpanCoordinate(0x80000000u, -1), 0);
}

struct OverlapRow {
    PlainRect a, b;
    bool overlap;
};

TEST(SignMotion, OverlapIsTheInclusiveCornerTest)
{
    const OverlapRow rows[] = {
        {{0, 0, 160, 60}, {160, 0, 320, 60}, true},    // touching along an edge
        {{0, 0, 160, 60}, {161, 0, 321, 60}, false},   // one pixel apart
        {{0, 0, 160, 60}, {160, 60, 200, 90}, true},   // touching at a corner
        {{0, 40, 300, 60}, {100, 0, 160, 200}, false}, // a plus sign: no corner inside
        {{10, 10, 20, 20}, {0, 0, 100, 100}, true},    // wholly inside
        {{0, 0, 100, 100}, {10, 10, 20, 20}, true},    // wholly around
        {{0, 0, 50, 50}, {0, 0, 50, 50}, true},        {{0, 0, 50, 50}, {0, 51, 50, 90}, false},
    };
    for (const OverlapRow& row : rows) {
        EXPECT_EQ(RectsOverlap(row.a, row.b), row.overlap);
        EXPECT_EQ(RectsOverlap(row.b, row.a), row.overlap);
    }
}

TEST(SignMotion, ASignNeverBlocksItself)
{
    Fresh();
    fake.parent = {0, 0, 200, 100};
    Scene scene;
    Sign* sign = scene.Make(0, 160); // 160 x 60 in 200 x 100: every place overlaps its own
    sign->elapsed = 2999;
    RestartSaverRandom();
    SignTick(sign, 1);
    const PlainRect r = W(sign->window).rect;
    EXPECT_EQ(r.left, static_cast<int32_t>(41 % 40));
    EXPECT_EQ(r.top, static_cast<int32_t>(18467 % 40));
    EXPECT_EQ(SaverRandom(), 6334u); // only the first candidate's two draws
}

TEST(SignMotion, WhenAllTenCandidatesOverlapTheTenthIsTaken)
{
    Fresh();
    Scene scene;
    Sign* blocker = scene.Make(0, 320);
    blocker->MoveSign(0, 0);
    W(blocker->window).rect = {-10, -10, 5000, 5000}; // covers every place
    Sign* sign = scene.Make(1, 160);
    sign->elapsed = 2999;
    RestartSaverRandom();
    uint32_t draws[22];
    for (uint32_t& d : draws)
        d = SaverRandom();
    RestartSaverRandom();
    SignTick(sign, 1);
    const PlainRect r = W(sign->window).rect;
    EXPECT_EQ(r.left, static_cast<int32_t>(draws[18] % (1920 - 160)));
    EXPECT_EQ(r.top, static_cast<int32_t>(draws[19] % (1080 - 60)));
    EXPECT_EQ(SaverRandom(), draws[20]); // 20 draws used
}

TEST(SignMotion, ASignLargerThanItsParentStaysWithinTheSpan)
{
    Fresh();
    fake.parent = {0, 0, 152, 112};
    Scene scene;
    Sign* sign = scene.Make(0, 320); // 320 x 120 in 152 x 112
    int widest = 0;
    for (int i = 0; i < 2000; ++i) {
        sign->elapsed = 2999;
        SignTick(sign, 1);
        const PlainRect r = W(sign->window).rect;
        ASSERT_GE(r.left, 0);
        ASSERT_LE(r.left, 167);
        ASSERT_GE(r.top, 0);
        ASSERT_LE(r.top, 7);
        widest = std::max(widest, r.left);
    }
    EXPECT_GT(widest, 150); // the whole span is used

    Fresh();
    fake.parent = {0, 0, 320, 500};
    Scene exact;
    Sign* fits = exact.Make(0, 320);
    fits->elapsed = 2999;
    SignTick(fits, 1);
    EXPECT_EQ(W(fits->window).rect.left, 0); // a span of 0
}

// Where the signs of a scene stand: the first places, then every relocation.
struct ScenePlaces {
    std::vector<PlainRect> first;
    std::vector<PlainRect> relocations;
    int stayed = 0; // relocations that left the sign where it stood
};

// A scene of the seven signs in a parent box over a monitor layout, for a number of ticks.
ScenePlaces RunScene(const PlainRect& box, const MonitorLayout& layout, int ticks)
{
    Fresh();
    fake.parent = box;
    sign_monitors = layout;
    Scene scene;
    ScenePlaces places;
    const int widths[kSignCount] = {320, 240, 240, 160, 160, 160, 160};
    for (int i = 0; i < kSignCount; ++i)
        places.first.push_back(W(scene.Make(i, widths[i])->window).rect);
    for (int tick = 0; tick < ticks; ++tick) {
        const uint32_t dt = 500 + static_cast<uint32_t>(tick % 7) - 3; // a timer's jitter
        for (Sign* sign : scene.table) {
            const uint32_t before = sign->elapsed;
            const int32_t left = W(sign->window).rect.left, top = W(sign->window).rect.top;
            SignTick(sign, dt);
            EXPECT_LT(sign->elapsed, 3000u);
            if (sign->elapsed < before + dt) { // it relocated
                const PlainRect r = W(sign->window).rect;
                places.relocations.push_back(r);
                places.stayed += r.left == left && r.top == top;
            }
        }
    }
    return places;
}

struct LayoutRow {
    const char* name;
    PlainRect box; // the saver window's client area: the bounding box of the monitors
    MonitorLayout layout;
    bool covers;            // the monitors show the whole box
    bool too_small = false; // no monitor can hold a sign
};

// One screen, monitors that fill the box, and the test layouts that leave parts of the box
// unseen (client coordinates; the primary is 1024 x 768). Where the monitors fill the box the
// places are exactly those of one screen; elsewhere every relocation lies wholly on the
// monitors (unless none can hold a sign) and every first place has its corner on one. Every
// relocation is a jump. The figures say how many places one screen's rules would lose to the
// unseen parts.
TEST(SignMotion, AHundredMinuteSceneKeepsRelocatedSignsWhereMonitorsShow)
{
    const LayoutRow rows[] = {
        {"one screen", {0, 0, 1920, 1080}, {}, true},
        {"two filling the box",
         {0, 0, 1920, 1080},
         {2, {{0, 0, 960, 1080}, {960, 0, 1920, 1080}}},
         true},
        {"secondary right",
         {0, 0, 1824, 768},
         {2, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}},
         false},
        {"secondary left", {0, 0, 1824, 768}, {2, {{0, 0, 800, 600}, {800, 0, 1824, 768}}}, false},
        {"secondary above",
         {0, 0, 1024, 1368},
         {2, {{0, 0, 800, 600}, {0, 600, 1024, 1368}}},
         false},
        {"three",
         {0, 0, 2824, 1468},
         {3, {{0, 0, 1000, 700}, {1000, 700, 2024, 1468}, {2024, 700, 2824, 1300}}},
         false},
        {"monitors smaller than any sign",
         {0, 0, 1824, 768},
         {2, {{0, 0, 150, 50}, {900, 300, 1050, 350}}},
         false,
         true},
    };
    for (const LayoutRow& row : rows) {
        const ScenePlaces one_screen = RunScene(row.box, MonitorLayout{}, 12000);
        const ScenePlaces places = RunScene(row.box, row.layout, 12000);
        EXPECT_GT(places.relocations.size(), 7u * 1900) << row.name;
        EXPECT_EQ(places.stayed, 0) << row.name; // every relocation is a jump
        for (const PlainRect& r : places.relocations) {
            ASSERT_TRUE(row.too_small || ShowsWhole(row.layout, r))
                << row.name << ": " << r.left << "," << r.top;
            ASSERT_GE(r.left, row.box.left);
            ASSERT_GE(r.top, row.box.top);
            ASSERT_LT(r.right, row.box.right);
            ASSERT_LT(r.bottom, row.box.bottom);
        }
        for (const PlainRect& r : places.first)
            EXPECT_TRUE(ShowsPoint(row.layout, r.left, r.top)) << row.name;
        if (row.covers) {
            ASSERT_EQ(places.relocations.size(), one_screen.relocations.size());
            for (size_t i = 0; i < places.relocations.size(); ++i)
                ASSERT_EQ(places.relocations[i].left, one_screen.relocations[i].left) << row.name;
            for (size_t i = 0; i < places.first.size(); ++i)
                EXPECT_EQ(places.first[i].top, one_screen.first[i].top) << row.name;
        }
        // What one screen's rules lose: of the first 1,000 relocations, and of the seven first
        // places (every start draws the same ones).
        int lost = 0, lost_now = 0;
        for (size_t i = 0; i < 1000 && i < one_screen.relocations.size(); ++i) {
            lost += !ShowsWhole(row.layout, one_screen.relocations[i]);
            lost_now += !ShowsWhole(row.layout, places.relocations[i]);
        }
        int corners_lost = 0;
        for (const PlainRect& r : one_screen.first)
            corners_lost += !ShowsPoint(row.layout, r.left, r.top);
        std::printf("%-30s relocations lost: %4d of 1000 before, %4d after; first corners lost: "
                    "%d of 7 before, 0 after\n",
                    row.name, lost, lost_now, corners_lost);
    }
}
} // namespace

struct FollowRow {
    const char* name;
    PlainRect client_after;
    MonitorLayout monitors_after;
    int32_t shift_x, shift_y;
    PlainRect place_before; // the sign's place in the old client coordinates
    bool jumps;             // no longer shown whole where the shift takes it
    PlainRect place_after;  // where it stands when it does not jump
};

// A change of the screens: a sign keeps its place on the screen while a monitor shows it
// whole, and otherwise jumps at once onto one that does, away from the other sign.
TEST(SignMotion, SignsFollowAChangeOfTheScreens)
{
    const MonitorLayout two = {2, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}};
    const MonitorLayout primary = {1, {{0, 0, 1024, 768}}};
    const FollowRow rows[] = {
        {"a monitor added: no shift",
         {0, 0, 2624, 768},
         {3, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}, {1824, 0, 2624, 600}}},
         0,
         0,
         {100, 100, 420, 220},
         false,
         {100, 100, 420, 220}},
        {"its monitor removed", {0, 0, 1024, 768}, primary, 0, 0, {1200, 100, 1520, 220}, true, {}},
        {"across the cut edge", {0, 0, 1024, 768}, primary, 0, 0, {900, 100, 1220, 220}, true, {}},
        {"a monitor added left: the origin moves",
         {0, 0, 1824, 768},
         {2, {{800, 0, 1824, 768}, {0, 0, 800, 600}}},
         800,
         0,
         {100, 100, 420, 220},
         false,
         {900, 100, 1220, 220}},
        {"the box's top moves down: kept on the screen",
         {0, 0, 1824, 768},
         two,
         0,
         -50,
         {100, 150, 420, 270},
         false,
         {100, 100, 420, 220}},
        {"no monitor list: the new client area",
         {0, 0, 800, 600},
         {},
         0,
         0,
         {600, 100, 920, 220},
         true,
         {}},
        {"no monitor list, still inside",
         {0, 0, 800, 600},
         {},
         0,
         0,
         {100, 100, 420, 220},
         false,
         {100, 100, 420, 220}},
    };
    for (const FollowRow& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        fake.parent = {0, 0, 1824, 768};
        Scene scene;
        Sign* sign = scene.Make(0, 320);
        Sign* other = scene.Make(1, 160);
        sign->MoveSign(row.place_before.left, row.place_before.top);
        other->MoveSign(10 - row.shift_x, 10 - row.shift_y);
        sign_monitors = row.monitors_after;
        SignsFollowScreen(scene.table, row.client_after, row.shift_x, row.shift_y);
        const PlainRect r = W(sign->window).rect, o = W(other->window).rect;
        EXPECT_EQ(sign->parent_rect.right, row.client_after.right);
        EXPECT_EQ(o.left, 10); // shown whole where it stood: it stays
        EXPECT_EQ(o.top, 10);
        if (!row.jumps) {
            EXPECT_EQ(r.left, row.place_after.left);
            EXPECT_EQ(r.top, row.place_after.top);
            continue;
        }
        EXPECT_TRUE(ShowsWhole(row.monitors_after, r)) << r.left << "," << r.top;
        EXPECT_TRUE(0 <= r.left && r.right <= row.client_after.right && 0 <= r.top &&
                    r.bottom <= row.client_after.bottom)
            << r.left << "," << r.top;
        EXPECT_FALSE(RectsOverlap(r, o));
    }
}
