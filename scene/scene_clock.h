// The scene's clock rules: how much time a tick hands to the signs, and how long the melt lasts.
#pragma once
#include <cstdint>

constexpr uint32_t kTickInterval = 500; // ms between timer ticks
constexpr uint32_t kDripsPerTick = 500;
constexpr uint32_t kMeltWindow = 6000000u; // scene age (ms) below which ticks melt

// Milliseconds since the previous tick; 0 when the tick counter wrapped in between.
uint32_t TickElapsed(uint32_t now, uint32_t last_tick);

// True while the scene is young enough to melt (age taken modulo 2^32).
bool SceneStillMelting(uint32_t now, uint32_t start_tick);

// What one tick does: the time it hands every sign, and whether it melts. The signs and the
// repaint (with its tremble) go on after the melt window has passed.
struct TickPlan {
    uint32_t sign_elapsed;
    bool melt;
};
TickPlan PlanSceneTick(uint32_t now, uint32_t last_tick, uint32_t start_tick);
