// The scene's clock rules.
#include "scene/scene_clock.h"

uint32_t TickElapsed(uint32_t now, uint32_t last_tick)
{
    return now >= last_tick ? now - last_tick : 0;
}

bool SceneStillMelting(uint32_t now, uint32_t start_tick)
{
    return now - start_tick < kMeltWindow;
}

TickPlan PlanSceneTick(uint32_t now, uint32_t last_tick, uint32_t start_tick)
{
    return {TickElapsed(now, last_tick), SceneStillMelting(now, start_tick)};
}
