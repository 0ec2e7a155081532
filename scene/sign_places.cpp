// The places that a screen's monitors show, as plain decisions over rectangles.
#include "scene/sign_places.h"

MonitorLayout sign_monitors = {};

void AddListedMonitor(MonitorLayout* layout, const PlainRect& monitor)
{
    if (layout->count < kMaxMonitors)
        layout->monitors[layout->count++] = monitor;
}

bool ShowsPoint(const MonitorLayout& layout, int32_t x, int32_t y)
{
    if (layout.count == 0)
        return true;
    for (int i = 0; i < layout.count; ++i) {
        const PlainRect& m = layout.monitors[i];
        if (m.left <= x && x < m.right && m.top <= y && y < m.bottom)
            return true;
    }
    return false;
}

bool ShowsWhole(const MonitorLayout& layout, const PlainRect& rect)
{
    if (layout.count == 0)
        return true;
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return ShowsPoint(layout, rect.left, rect.top);
    // The monitors' edges cut the rectangle into cells that lie wholly on or wholly off each
    // monitor; it is shown when every cell is, and a cell is where its top-left corner is. The
    // corners are every pair of a left edge and a top edge, in any order.
    int32_t xs[2 * kMaxMonitors + 2], ys[2 * kMaxMonitors + 2];
    int nx = 0, ny = 0;
    xs[nx++] = rect.left;
    ys[ny++] = rect.top;
    for (int i = 0; i < layout.count; ++i) {
        const PlainRect& m = layout.monitors[i];
        const int32_t edges_x[2] = {m.left, m.right}, edges_y[2] = {m.top, m.bottom};
        for (int e = 0; e < 2; ++e) {
            if (rect.left < edges_x[e] && edges_x[e] < rect.right)
                xs[nx++] = edges_x[e];
            if (rect.top < edges_y[e] && edges_y[e] < rect.bottom)
                ys[ny++] = edges_y[e];
        }
    }
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            if (!ShowsPoint(layout, xs[i], ys[j]))
                return false;
    return true;
}

bool PlaceOnAMonitor(const MonitorLayout& layout, int64_t w, int64_t h, uint32_t pick,
                     uint32_t draw_x, uint32_t draw_y, int32_t* x, int32_t* y)
{
    for (int n = 0; n < layout.count; ++n) {
        const PlainRect& m = layout.monitors[(pick + n) % layout.count];
        const int64_t span_x = static_cast<int64_t>(m.right) - m.left - w;
        const int64_t span_y = static_cast<int64_t>(m.bottom) - m.top - h;
        if (span_x < 0 || span_y < 0)
            continue;
        *x = static_cast<int32_t>(m.left + (span_x == 0 ? 0 : draw_x % span_x));
        *y = static_cast<int32_t>(m.top + (span_y == 0 ? 0 : draw_y % span_y));
        return true;
    }
    return false;
}
