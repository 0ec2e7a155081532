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

intptr_t FilterSaverMessage(SaverState& state, const FilterOps& ops, void* window, uint32_t message,
                            uintptr_t wparam, intptr_t lparam);
