// A Sign: one of the floating signs, a borderless child window of the saver window cut to its
// picture's shape. The window calls go through SignPlatform, so the Sign's rules (its
// making, failures, placement and motion) run without a windowing system.
#pragma once
#include "common/plain_rect.h"
#include "scene/sign_places.h"
#include <cstddef>
#include <cstdint>

class Sign;
constexpr int kSignCount = 7;
using SignTable = Sign* [kSignCount];

struct PixelSize {
    int32_t width;
    int32_t height;
};

// The window operations a Sign needs. Handles are opaque pointers.
struct SignPlatform {
    bool (*register_class)(); // the "purlwindow" class; false on failure
    PixelSize (*bitmap_size)(void* bitmap);
    void* (*create_window)(void* parent, int32_t width, int32_t height); // null on failure
    void (*set_user_data)(void* window, Sign* sign);
    void (*add_layered_style)(void* window);
    void* (*create_region)(); // a 1 x 1 region to copy into
    bool (*copy_region)(void* destination, void* source);
    bool (*attach_region)(void* window, void* region); // the window owns it on success
    PlainRect (*client_rect)(void* parent);
    void (*move_window)(void* window, int32_t x, int32_t y);
    void (*show_window)(void* window); // show, then paint at once if needed
    void (*message_box)(void* owner, const char* text, const char* caption);
    void (*destroy_window)(void* window); // ends the saver if the window holds its Sign
    void (*delete_region)(void* region);
    PlainRect (*window_rect)(void* window); // in the parent's client coordinates
};

// The platform in use; the Win32 layer sets it before the first Sign is made.
extern const SignPlatform* sign_platform;
// 1 once "purlwindow" has been registered in this process.
extern int sign_class_registered;

class Sign {
  public:
    Sign(void* parent, Sign** table, void* image_bitmap, void* image_dc, void* image_shape);
    virtual ~Sign();
    // Allocation that reports failure with null instead of throwing.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    void MoveSign(int32_t x, int32_t y);

    Sign** table = nullptr;
    int32_t height = 0;
    int32_t width = 0;
    void* region = nullptr;
    PlainRect parent_rect = {0, 0, 0, 0};
    uint32_t elapsed = 0;
    void* image_bitmap = nullptr;
    void* image_dc = nullptr;
    void* image_shape = nullptr; // the picture's shape (the window holds a copy), once shaped
    void* window = nullptr;
    void* parent = nullptr;

  private:
    void ShapingFailed(const char* text);
};

// A new sign's clock (ms, 0..749) and first place in its parent's client area, from the draws
// made for it in this order: the clock, then a top-left corner that a monitor shows (anywhere on
// one screen; the sign may overhang the monitor's edge), tried up to kCornerTries times, and
// else a place on a monitor.
struct SignStart {
    uint32_t clock;
    int32_t x;
    int32_t y;
};
SignStart FirstSignPlace(const PlainRect& parent, const MonitorLayout& layout);

// r mod span with truncating division: 0..|span| - 1, and 0 for a span of 0.
int32_t SpanCoordinate(uint32_t draw, int32_t span);
