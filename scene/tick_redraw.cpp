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
#include "scene/screen_colours.h"
#include "scene/sign.h"
#include "scene/tick_repaint.h"

extern const UINT kSignMoveFlags = SWP_NOCOPYBITS | SWP_NOREDRAW;

namespace {
// The sign of a child window that holds a shaped, shown Sign, or null. The window's own style
// says whether it is shown (the tick runs only in a shown saver window); IsWindowVisible would
// ask the platform for its parents at every tick.
const Sign* ShownSign(HWND child)
{
    const auto* sign = reinterpret_cast<const Sign*>(GetWindowLongPtrA(child, GWLP_USERDATA));
    const bool shown = (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
    return sign != nullptr && sign->image_shape != nullptr && shown ? sign : nullptr;
}

// The sign's shape where it stands, in the saver window's client coordinates.
void PlaceShape(HWND window, HWND child, const Sign& sign, HRGN shape, POINT* origin)
{
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    *origin = {place.left, place.top};
    CombineRgn(shape, static_cast<HRGN>(sign.image_shape), nullptr, RGN_COPY);
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

// What the saver window had to paint when the tick began, or null when nothing was. A sign's
// own pending paint is left to its WM_PAINT, which draws the same picture the tick drew: asking
// every sign for its update region and validating it cost the platform more calls per tick than
// the moves of all seven signs.
HRGN pending;

void FreePending(void*)
{
    if (pending != nullptr)
        DeleteObject(pending);
    pending = nullptr;
}

void* TakePending(void* window)
{
    pending = CreateRectRgn(0, 0, 0, 0);
    if (pending == nullptr)
        return nullptr;
    if (GetUpdateRgn(Window(window), pending, FALSE) <= NULLREGION) { // nothing, or no answer
        DeleteObject(pending);
        pending = nullptr;
    }
    return &pending; // the tick draws either way
}

void ValidatePending(void* window, void*)
{
    if (pending != nullptr)
        ValidateRgn(Window(window), pending);
}

void InvalidateWindow(void* window)
{
    RedrawWindow(Window(window), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Each sign inside its shape, bottom sign first, so that where signs overlap the upper one
// shows, as the window order says; then the Backdrop around them all.
void DrawTick(void* window_handle, void* dc_handle, void* around_handle, void* shape_handle)
{
    HWND window = Window(window_handle);
    HDC dc = static_cast<HDC>(dc_handle);
    HRGN around = static_cast<HRGN>(around_handle), shape = static_cast<HRGN>(shape_handle);
    UseScreenPalette(dc);
    HWND bottom = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST);
    for (HWND child = bottom; child != nullptr; child = GetWindow(child, GW_HWNDPREV))
        if (const Sign* sign = ShownSign(child)) {
            POINT origin;
            PlaceShape(window, child, *sign, shape, &origin);
            SelectClipRgn(dc, shape);
            BitBlt(dc, origin.x, origin.y, sign->width, sign->height,
                   static_cast<HDC>(sign->image_dc), 0, 0, SRCCOPY);
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
