// Placement of the configuration dialog.
#include "host/dialog_placement.h"

DialogPosition PlaceConfigDialog(const PlainRect& work_area, const PlainRect& dialog)
{
    // Signed arithmetic, division truncating towards zero.
    int32_t x = ((work_area.right - work_area.left) - (dialog.right - dialog.left)) / 2;
    int32_t y = ((work_area.bottom - work_area.top) - (dialog.bottom - dialog.top)) / 2;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    return {x, y};
}
