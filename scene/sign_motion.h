// Sign motion: a creep of one pixel to the right per tick, and every 3000 ms of a Sign's
// own clock a jump to a random place that avoids the other Signs if ten tries can find one.
#pragma once
#include "common/plain_rect.h"
#include "scene/sign.h"
#include <cstdint>

constexpr uint32_t kRelocateAfter = 3000; // ms of a Sign's own clock
constexpr int kPlaceTries = 10;

// The inclusive corner test: a corner of either rectangle on or inside the other.
bool RectsOverlap(const PlainRect& a, const PlainRect& b);

bool OverlapsOthers(const Sign* sign, const PlainRect& candidate);
void SignTick(Sign* sign, uint32_t dt);
// After a change of the screens: each sign of the table takes the saver window's new client
// area and moves by the shift, so that it stays where it stood on the screen; then any sign that
// the client area or the monitors no longer show whole jumps at once.
void SignsFollowScreen(Sign* const* table, const PlainRect& client, int32_t shift_x,
                       int32_t shift_y);
