// Where a sign may stand on a screen of several monitors: the monitors' rectangles, in the saver
// window's client coordinates, and the places that they show. A layout of no monitors shows
// every place (one screen, a preview, or a system that cannot list its monitors).
#pragma once
#include "common/plain_rect.h"
#include <cstdint>

constexpr int kMaxMonitors = 16;
// Draws of a first place tried for a corner that a monitor shows, before one is put on a monitor.
constexpr int kCornerTries = 10;

struct MonitorLayout {
    int count;
    PlainRect monitors[kMaxMonitors];
};

// The layout the signs of this process are placed in; the scene sets it before making them.
extern MonitorLayout sign_monitors;

// Adds a monitor as the system lists it; past kMaxMonitors the rest are left out, the first
// ones kept.
void AddListedMonitor(MonitorLayout* layout, const PlainRect& monitor);

// A point some monitor shows (right and bottom edges excluded).
bool ShowsPoint(const MonitorLayout& layout, int32_t x, int32_t y);
// A rectangle the monitors show wholly, over one monitor or several side by side.
bool ShowsWhole(const MonitorLayout& layout, const PlainRect& rect);

// A place for a w x h sign wholly on one monitor, from one draw each for x and y, the monitor
// chosen by a third; false when no monitor is large enough.
bool PlaceOnAMonitor(const MonitorLayout& layout, int64_t w, int64_t h, uint32_t pick,
                     uint32_t draw_x, uint32_t draw_y, int32_t* x, int32_t* y);
