// The tick's repaint, drawn at once through the window's own drawing context. It gives the same
// picture and draws as invalidating the whole window and painting it at the next WM_PAINT, but
// the platform need not work out an update region clipped around the seven shaped signs twice a
// second, which cost more than all the rest of the saver's work.
#include "scene/tick_redraw.h"
#include "scene/backdrop.h"

void TrembleRedraw(HWND window)
{
    HDC dc = GetDC(window);
    DrawTrembled(window, dc);
    ReleaseDC(window, dc);
    // What the tick's moves uncovered is drawn over already: no WM_PAINT is left to come.
    RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}
