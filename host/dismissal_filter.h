// The innermost message layer of the saver window: turns input into a close request, keeps
// the cursor hidden, routes closes through the password check and answers the AutoPlay query.
// It reaches the platform only through FilterOps, so it runs without a windowing system.
#pragma once
#include "common/saver_state.h"
#include <cstdint>

struct FilterOps {
    void (*post_close)(void* window);
    CursorPoint (*cursor_pos)();
    void (*hide_cursor)();
    intptr_t (*default_proc)(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
    uint32_t (*verify_on_close)(void* window);
    intptr_t (*call_verifier)(void* verifier, void* window);
};

// True when the cursor has travelled further than the threshold from the anchor.
bool MouseTravelDismisses(CursorPoint anchor, CursorPoint now, uint32_t threshold);

// A hand moves the mouse in a stream of moves; the system moves the cursor in one jump (when its
// monitor goes away), followed at most by moves to the same place, and the new screens can be
// read only a moment later. So a move far enough to end the saver is held: the next move to
// another place ends it at once, and a held move is judged again when its time runs out.
struct HeldMove {
    bool held;
    CursorPoint at; // where the held move left the cursor
};
enum class MoveVerdict {
    Stay, // the saver runs on
    Hold, // taken; judged at the next move or when its time runs out
    End,  // the move ends the saver
};
// A move to now, with the travel origin as it stands; screens_changed: the screens changed with
// it, and the origin has been taken again.
MoveVerdict JudgeMouseMove(HeldMove& hold, CursorPoint origin, CursorPoint now, uint32_t threshold,
                           bool screens_changed);
// The held move's time ran out with the cursor at now.
MoveVerdict JudgeHeldMoveAtLast(HeldMove& hold, CursorPoint origin, CursorPoint now,
                                uint32_t threshold, bool screens_changed);

intptr_t FilterSaverMessage(SaverState& state, const FilterOps& ops, void* window, uint32_t message,
                            uintptr_t wparam, intptr_t lparam);
