// Sign motion and relocation.
#include "scene/sign_motion.h"
#include "common/saver_random.h"
#include "scene/sign_places.h"

namespace {
// Sizes, spans and places are worked out in 64 bits and kept within int32, so that no
// rectangle, however odd, overflows; real screens never reach the limits.
int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(value < INT32_MIN   ? INT32_MIN
                                : value > INT32_MAX ? INT32_MAX
                                                    : value);
}

bool HoldsPoint(const PlainRect& r, int32_t x, int32_t y)
{
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

bool HoldsACornerOf(const PlainRect& r, const PlainRect& c)
{
    return HoldsPoint(r, c.left, c.top) || HoldsPoint(r, c.right, c.top) ||
           HoldsPoint(r, c.left, c.bottom) || HoldsPoint(r, c.right, c.bottom);
}
} // namespace

bool RectsOverlap(const PlainRect& a, const PlainRect& b)
{
    return HoldsACornerOf(b, a) || HoldsACornerOf(a, b);
}

bool OverlapsOthers(const Sign* sign, const PlainRect& candidate)
{
    for (int i = 0; i < kSignCount; ++i) {
        const Sign* other = sign->table[i];
        if (other == sign || other == nullptr || other->window == nullptr)
            continue;
        if (RectsOverlap(candidate, sign_platform->window_rect(other->window)))
            return true;
    }
    return false;
}

namespace {
// The jump: a random place that avoids the other signs if ten tries can find one.
void Relocate(Sign* sign, const PlainRect& now)
{
    const int64_t w = static_cast<int64_t>(now.right) - now.left;
    const int64_t h = static_cast<int64_t>(now.bottom) - now.top;
    // A candidate no monitor wholly shows is passed over. On one screen every candidate is shown,
    // and the tenth is taken when all overlap.
    PlainRect shown = now, candidate = now;
    bool any_shown = false, free = false;
    for (int attempt = 0; attempt < kPlaceTries && !free; ++attempt) {
        const int32_t cx = SpanCoordinate(SaverRandom(), ClampToInt32(sign->parent_rect.right - w));
        const int32_t cy =
            SpanCoordinate(SaverRandom(), ClampToInt32(sign->parent_rect.bottom - h));
        candidate = {cx, cy, ClampToInt32(cx + w), ClampToInt32(cy + h)};
        if (!ShowsWhole(sign_monitors, candidate))
            continue;
        shown = candidate;
        any_shown = true;
        free = !OverlapsOthers(sign, candidate);
    }
    if (!any_shown) { // none of the ten on the monitors: a place on one of them
        int32_t x = 0, y = 0;
        const uint32_t pick = SaverRandom(), draw_x = SaverRandom(), draw_y = SaverRandom();
        // A sign no monitor can hold still jumps: to the last candidate, as on one screen.
        shown = PlaceOnAMonitor(sign_monitors, w, h, pick, draw_x, draw_y, &x, &y)
                    ? PlainRect{x, y, ClampToInt32(x + w), ClampToInt32(y + h)}
                    : candidate;
    }
    sign->MoveSign(shown.left, shown.top);
}
} // namespace

void SignTick(Sign* sign, uint32_t dt)
{
    if (sign->window == nullptr)
        return;
    const PlainRect now = sign_platform->window_rect(sign->window);
    sign->elapsed += dt;
    if (sign->elapsed < kRelocateAfter) {
        sign->MoveSign(ClampToInt32(static_cast<int64_t>(now.left) + 1), now.top);
        return;
    }
    sign->elapsed %= kRelocateAfter;
    Relocate(sign, now);
}

void SignsFollowScreen(Sign* const* table, const PlainRect& client, int32_t shift_x,
                       int32_t shift_y)
{
    // All move first, so that a jump avoids the others where they now stand.
    for (int i = 0; i < kSignCount; ++i) {
        Sign* sign = table[i];
        if (sign == nullptr || sign->window == nullptr)
            continue;
        sign->parent_rect = client;
        const PlainRect now = sign_platform->window_rect(sign->window);
        if (shift_x != 0 || shift_y != 0)
            sign->MoveSign(ClampToInt32(static_cast<int64_t>(now.left) + shift_x),
                           ClampToInt32(static_cast<int64_t>(now.top) + shift_y));
    }
    for (int i = 0; i < kSignCount; ++i) {
        Sign* sign = table[i];
        if (sign == nullptr || sign->window == nullptr)
            continue;
        const PlainRect now = sign_platform->window_rect(sign->window);
        const bool in_client = client.left <= now.left && now.right <= client.right &&
                               client.top <= now.top && now.bottom <= client.bottom;
        if (!in_client || !ShowsWhole(sign_monitors, now))
            Relocate(sign, now);
    }
}
