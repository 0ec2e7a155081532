// Making and destroying a Sign: class registration, the shaped child window, the first
// placement from three draws, and the failures that leave a Sign inert.
#include "scene/sign.h"
#include "common/heap_memory.h"
#include "common/saver_random.h"
#include "scene/sign_places.h"

const SignPlatform* sign_platform = nullptr;
int sign_class_registered = 0;

namespace {
const char kCaption[] = "purlpurl";
}

int32_t SpanCoordinate(uint32_t draw, int32_t span)
{
    // Anything mod -1 is 0; left to the division, INT32_MIN % -1 would overflow.
    return span == 0 || span == -1 ? 0 : static_cast<int32_t>(draw) % span;
}

SignStart FirstSignPlace(const PlainRect& parent, const MonitorLayout& layout)
{
    SignStart start = {SaverRandom() % 750, 0, 0};
    // The top-left corner where a monitor shows it (anywhere on one screen); the sign may
    // overhang the monitor's edge.
    start.y = SpanCoordinate(SaverRandom(), parent.bottom);
    start.x = SpanCoordinate(SaverRandom(), parent.right);
    for (int tries = 1; tries < kCornerTries && !ShowsPoint(layout, start.x, start.y); ++tries) {
        start.y = SpanCoordinate(SaverRandom(), parent.bottom);
        start.x = SpanCoordinate(SaverRandom(), parent.right);
    }
    if (!ShowsPoint(layout, start.x, start.y)) {
        const uint32_t pick = SaverRandom(), draw_x = SaverRandom(), draw_y = SaverRandom();
        PlaceOnAMonitor(layout, 0, 0, pick, draw_x, draw_y, &start.x, &start.y);
    }
    return start;
}

void* Sign::operator new(size_t size) noexcept
{
    return HeapMemory(size);
}

void Sign::operator delete(void* memory) noexcept
{
    FreeHeapMemory(memory);
}

Sign::Sign(void* parent_window, Sign** sign_table, void* bitmap, void* dc, void* shape)
{
    const SignPlatform& p = *sign_platform;
    parent = parent_window;
    table = sign_table;
    if (!sign_class_registered) {
        if (!p.register_class())
            return; // no message; the next Sign tries again
        sign_class_registered = 1;
    }
    image_bitmap = bitmap;
    const PixelSize size = p.bitmap_size(bitmap);
    width = size.width;
    height = size.height;

    window = p.create_window(parent, width, height);
    if (window == nullptr) {
        p.message_box(parent, "CreateWindow() failed.", kCaption);
        return;
    }
    p.set_user_data(window, this);
    p.add_layered_style(window);
    region = p.create_region();
    if (!p.copy_region(region, shape)) {
        ShapingFailed("CombineRgn() failed.");
        return;
    }
    if (!p.attach_region(window, region)) {
        ShapingFailed("SetWindowRgn() failed.");
        return;
    }
    parent_rect = p.client_rect(parent);
    const SignStart start = FirstSignPlace(parent_rect, sign_monitors);
    elapsed = start.clock;
    image_dc = dc;
    image_shape = shape;
    MoveSign(start.x, start.y);
    p.show_window(window);
}

// The window goes and the region stays with the Sign. The window is let go of its Sign
// first, so that its destruction does not end the saver: the scene goes on without this sign.
void Sign::ShapingFailed(const char* text)
{
    sign_platform->set_user_data(window, nullptr);
    sign_platform->destroy_window(window);
    window = nullptr;
    sign_platform->message_box(parent, text, kCaption);
}

Sign::~Sign()
{
    // An attached region belongs to the window and goes with it.
    if (window == nullptr && region != nullptr)
        sign_platform->delete_region(region);
    if (window != nullptr)
        sign_platform->destroy_window(window);
}

void Sign::MoveSign(int32_t x, int32_t y)
{
    if (window != nullptr)
        sign_platform->move_window(window, x, y);
}
