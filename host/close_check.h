// The password check made when a close request arrives on Windows 9x: at most one check at a
// time, and a 200 ms lock-out after a refusal. The platform is reached through CloseCheckOps.
#pragma once
#include "common/saver_state.h"
#include <cstdint>

struct CloseCheckOps {
    uint32_t (*tick_count)();
    void (*drop_pending_ticks)(void* window);
    intptr_t (*send_verify_request)(void* window);
    void (*hide_cursor)();
};

constexpr uint32_t kReaskInterval = 200;

// Nonzero when the close may go ahead.
uint32_t CheckCloseRequest(SaverState& state, const CloseCheckOps& ops, void* window);
