// The dismissal filter: which messages end the saver, and how a close request is checked.
#include "host/dismissal_filter.h"
#include "common/messages.h"

bool MouseTravelDismisses(CursorPoint anchor, CursorPoint now, uint32_t threshold)
{
    // 64-bit arithmetic: no distance or sum of distances wraps, so a far move counts as far.
    auto distance = [](int32_t a, int32_t b) {
        return a > b ? static_cast<int64_t>(a) - b : static_cast<int64_t>(b) - a;
    };
    return distance(now.x, anchor.x) + distance(now.y, anchor.y) > static_cast<int64_t>(threshold);
}

MoveVerdict JudgeMouseMove(HeldMove& hold, CursorPoint origin, CursorPoint now, uint32_t threshold,
                           bool screens_changed)
{
    const bool far = !screens_changed && MouseTravelDismisses(origin, now, threshold);
    if (hold.held && !screens_changed && now.x == hold.at.x && now.y == hold.at.y)
        return MoveVerdict::Hold;
    if (hold.held || !far) {
        hold.held = false;
        return far ? MoveVerdict::End : MoveVerdict::Stay;
    }
    hold = {true, now};
    return MoveVerdict::Hold;
}

MoveVerdict JudgeHeldMoveAtLast(HeldMove& hold, CursorPoint origin, CursorPoint now,
                                uint32_t threshold, bool screens_changed)
{
    const bool was_held = hold.held; // a tick posted before its timer was killed finds none
    hold.held = false;
    return was_held && !screens_changed && MouseTravelDismisses(origin, now, threshold)
               ? MoveVerdict::End
               : MoveVerdict::Stay;
}

namespace {
// Whether a WM_POWERBROADCAST event is the system going to sleep or waking: only those end the
// saver. A laptop on battery reports its charge every few minutes, with nobody at it.
bool SleepOrWake(uintptr_t event)
{
    switch (event) {
    case msg::kPbtQuerySuspend:
    case msg::kPbtQueryStandby:
    case msg::kPbtSuspend:
    case msg::kPbtStandby:
    case msg::kPbtResumeCritical:
    case msg::kPbtResumeSuspend:
    case msg::kPbtResumeStandby:
    case msg::kPbtResumeAutomatic:
        return true;
    default:
        return false;
    }
}

// Acts on one row of the dismissal table. Returns true when the message is answered
// here (WM_SETCURSOR), with the answer in *result.
bool ApplyDismissalRow(SaverState& state, const FilterOps& ops, void* window, uint32_t message,
                       uintptr_t wparam, intptr_t* result)
{
    switch (message) {
    case msg::kShowWindow:
        if (wparam != 0)
            ops.hide_cursor();
        return false;
    case msg::kActivateApp:
        if (wparam == 0)
            ops.post_close(window);
        return false;
    case msg::kSetCursor:
        ops.hide_cursor();
        *result = 1;
        return true;
    case msg::kPower:
        if (wparam == msg::kPowerCriticalResume)
            ops.post_close(window);
        return false;
    case msg::kMouseMove: {
        const CursorPoint now = ops.cursor_pos();
        if (MouseTravelDismisses(state.last_cursor, now, state.mouse_threshold)) {
            ops.post_close(window);
            state.last_cursor = now;
        }
        return false;
    }
    case msg::kKeyDown:
    case msg::kSysKeyDown:
    case msg::kLButtonDown:
    case msg::kRButtonDown:
    case msg::kMButtonDown:
        ops.post_close(window);
        return false;
    case msg::kPowerBroadcast:
        if (SleepOrWake(wparam))
            ops.post_close(window);
        return false;
    default:
        return false;
    }
}
} // namespace

intptr_t FilterSaverMessage(SaverState& state, const FilterOps& ops, void* window, uint32_t message,
                            uintptr_t wparam, intptr_t lparam)
{
    if (!state.is_preview && state.close_granted == 0) {
        if (message == msg::kClose && state.is_win9x) {
            if (ops.verify_on_close(window) == 0) {
                state.last_cursor = ops.cursor_pos();
                return 0;
            }
        } else if (message == msg::kApp && state.is_win9x) {
            if (state.verify_password == nullptr)
                return 1;
            return ops.call_verifier(state.verify_password, window);
        } else if (!state.checking_password) {
            intptr_t result = 0;
            if (ApplyDismissalRow(state, ops, window, message, wparam, &result))
                return result;
        }
    }
    if (state.autoplay_message != 0 && message == state.autoplay_message) {
        ops.post_close(window);
        return state.verify_password != nullptr ? 1 : 0;
    }
    return ops.default_proc(window, message, wparam, lparam);
}
