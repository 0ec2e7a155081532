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
} // namespace

void TrembleRedraw(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    // Clipped around other windows as the window's own context is, but not around its children.
    const bool clips_siblings = (GetWindowLongA(window, GWL_STYLE) & WS_CLIPSIBLINGS) != 0;
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE | (clips_siblings ? DCX_CLIPSIBLINGS : 0));
    // Each sign inside its shape, bottom sign first, so that where signs overlap the upper one
    // shows, as the window order says; then the Backdrop around them all.
    HRGN around = CreateRectRgn(0, 0, client.right, client.bottom);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
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
    ReleaseDC(window, dc);
    DeleteObject(shape);
    DeleteObject(around);
    // Everything the tick's moves uncovered, and every sign, is drawn: no WM_PAINT is left.
    RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
}
