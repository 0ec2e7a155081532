// A change of the screens as a plain decision over rectangles.
#include "scene/screen_change.h"
#include <algorithm>

namespace {
bool IsEmpty(const PlainRect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

void AddFresh(ScreenChange& change, const PlainRect& part, const PlainRect& after)
{
    if (IsEmpty(part))
        return;
    change.fresh[change.fresh_count++] = {part.left - after.left, part.top - after.top,
                                          part.right - after.left, part.bottom - after.top};
}
} // namespace

ScreenChange PlanScreenChange(const PlainRect& before, const PlainRect& after, int depth_before,
                              int depth_after)
{
    ScreenChange change = {};
    change.shift_x = before.left - after.left;
    change.shift_y = before.top - after.top;
    change.measure_colours = depth_before != depth_after;
    const PlainRect both = {std::max(before.left, after.left), std::max(before.top, after.top),
                            std::min(before.right, after.right),
                            std::min(before.bottom, after.bottom)};
    if (IsEmpty(both)) {
        AddFresh(change, after, after);
        return change;
    }
    change.kept = {both.left - after.left, both.top - after.top, both.right - after.left,
                   both.bottom - after.top};
    change.kept_from_x = both.left - before.left;
    change.kept_from_y = both.top - before.top;
    // The bands above and below the kept part run the whole width; those beside it its height.
    AddFresh(change, {after.left, after.top, after.right, both.top}, after);
    AddFresh(change, {after.left, both.bottom, after.right, after.bottom}, after);
    AddFresh(change, {after.left, both.top, both.left, both.bottom}, after);
    AddFresh(change, {both.right, both.top, after.right, both.bottom}, after);
    return change;
}
