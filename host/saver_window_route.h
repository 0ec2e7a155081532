// The saver window's outer layer as a decision: which messages it answers itself, which go
// straight to the platform's default, and which travel on to the scene.
#pragma once
#include "common/saver_state.h"
#include <cstdint>

enum class SaverRoute {
    Scene,           // on to the scene (after the layer's own chores)
    Default,         // the platform's default procedure: closing is granted
    Swallow,         // answered with 0
    ForwardToParent, // the preview hands it to the host's window, answered with 1
};

SaverRoute RouteSaverMessage(const SaverState& state, uint32_t message, uintptr_t wparam);
