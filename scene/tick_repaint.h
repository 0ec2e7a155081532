// The order of the tick's repaint over the few platform calls it needs: it draws at once only
// when it has its context and regions, and then leaves to paint only what came in while it
// drew. No platform calls here; scene/tick_redraw.cpp fills the table.
#pragma once

struct TickRepaintOps {
    void* (*get_dc)(void* window); // the window's context, not clipped around its signs
    void (*release_dc)(void* window, void* dc);
    void* (*create_region)(void* window); // the window's client area; null on failure
    void (*delete_region)(void* region);
    // What the window has to paint now (its signs paint their own), kept to be marked painted
    // later.
    void* (*take_pending)(void* window);
    void (*free_pending)(void* pending);
    // Draws every sign inside its shape and the Backdrop around them, through the context.
    void (*draw)(void* window, void* dc, void* around, void* shape);
    void (*validate)(void* window, void* pending);
    // The whole window and its signs, painted later through WM_PAINT. The window clips its
    // signs and a sign's move repaints nothing, so a sign the tick moved is painted again only
    // if its own window is invalidated too.
    void (*invalidate)(void* window);
};

// Draws the tick at once and marks painted what was to paint before it drew (an invalidation
// that comes in while it draws stays); without a context or a region it invalidates the window
// and its signs instead, so that nothing it did not draw is marked painted.
void RepaintTick(const TickRepaintOps& ops, void* window);
