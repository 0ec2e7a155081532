// The close check: asks the verifier through the saver window and keeps the lock-out.
#include "host/close_check.h"

uint32_t CheckCloseRequest(SaverState& state, const CloseCheckOps& ops, void* window)
{
    if (state.checking_password)
        return 0;
    if (state.verify_password == nullptr) {
        state.close_granted = 1;
        return 1;
    }
    const uint32_t now = ops.tick_count();
    if (state.checked_before && now - state.last_check_tick < kReaskInterval)
        return 0;

    state.checking_password = true;
    ops.drop_pending_ticks(window);
    const intptr_t verdict = ops.send_verify_request(window);
    state.close_granted = static_cast<uint32_t>(verdict);
    state.checking_password = false;
    if (verdict == 0)
        ops.hide_cursor();
    state.last_check_tick = ops.tick_count();
    state.checked_before = true;
    return state.close_granted;
}
