// The tick's repaint: draw at once, or fall back to an invalidation.
#include "scene/tick_repaint.h"

void RepaintTick(const TickRepaintOps& ops, void* window)
{
    void* pending = ops.take_pending(window);
    void* dc = ops.get_dc(window);
    void* around = ops.create_region(window);
    void* shape = ops.create_region(window);
    if (pending != nullptr && dc != nullptr && around != nullptr && shape != nullptr) {
        ops.draw(window, dc, around, shape);
        ops.validate(window, pending);
    } else {
        ops.invalidate(window);
    }
    if (shape != nullptr)
        ops.delete_region(shape);
    if (around != nullptr)
        ops.delete_region(around);
    if (dc != nullptr)
        ops.release_dc(window, dc);
    if (pending != nullptr)
        ops.free_pending(pending);
}
