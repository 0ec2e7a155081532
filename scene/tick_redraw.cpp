// The tick's repaint, drawn at once in one pass: each sign's picture inside its shape, then the
// Backdrop at the tremble offset around the signs (every pixel is written once), through a context
// of the saver window that is not clipped around its children. It gives the picture that
// invalidating the window and painting it (and the moved signs) would give, with the same draws,
// but the platform need not rebuild the saver window's visible region around seven shaped signs
// (about 1,700 rectangles) at every tick, nor each moved sign's own; that rebuilding cost more than
// all the rest of the saver's work. The region operations here each take one pass over the
// rectangles.
#include "scene/tick_redraw.h"
#include "scene/backdrop.h"
#include "scene/sprite.h"
#include "scene/tick_repaint.h"

extern const UINT kSignMoveFlags = SWP_NOCOPYBITS | SWP_NOREDRAW;

namespace {
// The sign of a child window that holds a shaped, visible Sprite, or null.
const Sprite* ShownSprite(HWND child)
{
    const auto* sprite = reinterpret_cast<const Sprite*>(GetWindowLongPtrA(child, GWLP_USERDATA));
    return sprite != nullptr && sprite->image_shape != nullptr && IsWindowVisible(child) ? sprite
                                                                                         : nullptr;
}

// The sign's shape where it stands, in the saver window's client coordinates.
void PlaceShape(HWND window, HWND child, const Sprite& sprite, HRGN shape, POINT* origin)
{
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    *origin = {place.left, place.top};
    CombineRgn(shape, static_cast<HRGN>(sprite.image_shape), nullptr, RGN_COPY);
    OffsetRgn(shape, place.left, place.top);
}

HWND Window(void* window)
{
    return static_cast<HWND>(window);
}

void* GetTickDc(void* window)
{
    // Clipped around other windows as the window's own context is, but not around its children.
    const bool clips_siblings = (GetWindowLongA(Window(window), GWL_STYLE) & WS_CLIPSIBLINGS) != 0;
    return GetDCEx(Window(window), nullptr, DCX_CACHE | (clips_siblings ? DCX_CLIPSIBLINGS : 0));
}

void ReleaseTickDc(void* window, void* dc)
{
    ReleaseDC(Window(window), static_cast<HDC>(dc));
}

void* CreateClientRegion(void* window)
{
    RECT client;
    GetClientRect(Window(window), &client);
    return CreateRectRgn(0, 0, client.right, client.bottom);
}

void DeleteRegion(void* region)
{
    DeleteObject(static_cast<HRGN>(region));
}

// What the window and its signs had to paint when the tick began. The tick never overlaps
// itself, so one record serves.
struct Pending {
    HRGN own;
    int count;
    HWND children[kSpriteCount + 1];
    HRGN regions[kSpriteCount + 1];
};
Pending pending;

void FreePending(void*)
{
    for (int i = 0; i < pending.count; ++i)
        DeleteObject(pending.regions[i]);
    if (pending.own != nullptr)
        DeleteObject(pending.own);
    pending = {};
}

void* TakePending(void* window)
{
    pending.own = CreateRectRgn(0, 0, 0, 0);
    if (pending.own == nullptr)
        return nullptr;
    GetUpdateRgn(Window(window), pending.own, FALSE);
    for (HWND child = GetWindow(Window(window), GW_CHILD);
         child != nullptr && pending.count < kSpriteCount + 1;
         child = GetWindow(child, GW_HWNDNEXT)) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        if (region == nullptr) {
            FreePending(nullptr);
            return nullptr;
        }
        GetUpdateRgn(child, region, FALSE);
        pending.children[pending.count] = child;
        pending.regions[pending.count++] = region;
    }
    return &pending;
}

void ValidatePending(void* window, void*)
{
    ValidateRgn(Window(window), pending.own);
    for (int i = 0; i < pending.count; ++i)
        ValidateRgn(pending.children[i], pending.regions[i]);
}

void InvalidateWindow(void* window)
{
    InvalidateRect(Window(window), nullptr, FALSE);
}

// Each sign inside its shape, bottom sign first, so that where signs overlap the upper one
// shows, as the window order says; then the Backdrop around them all.
void DrawTick(void* window_handle, void* dc_handle, void* around_handle, void* shape_handle)
{
    HWND window = Window(window_handle);
    HDC dc = static_cast<HDC>(dc_handle);
    HRGN around = static_cast<HRGN>(around_handle), shape = static_cast<HRGN>(shape_handle);
    HWND bottom = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST);
    for (HWND child = bottom; child != nullptr; child = GetWindow(child, GW_HWNDPREV))
        if (const Sprite* sprite = ShownSprite(child)) {
            POINT origin;
            PlaceShape(window, child, *sprite, shape, &origin);
            SelectClipRgn(dc, shape);
            BitBlt(dc, origin.x, origin.y, sprite->width, sprite->height,
                   static_cast<HDC>(sprite->image_dc), 0, 0, SRCCOPY);
            CombineRgn(around, around, shape, RGN_DIFF);
        }
    SelectClipRgn(dc, around);
    DrawTrembled(window, dc);
    SelectClipRgn(dc, nullptr);
}

const TickRepaintOps windows_ops = {
    GetTickDc,   ReleaseTickDc, CreateClientRegion, DeleteRegion,     TakePending,
    FreePending, DrawTick,      ValidatePending,    InvalidateWindow,
};
} // namespace

void TrembleRedraw(HWND window)
{
    RepaintTick(windows_ops, window);
}
