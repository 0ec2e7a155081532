// Placement of the configuration dialog.
#include "host/dialog_placement.h"

DialogPosition PlaceConfigDialog(const PlainRect& work_area, const PlainRect& dialog)
{
    // Signed 64-bit arithmetic, so that no rectangle overflows; division truncates towards
    // zero, and the result is kept within 0..INT32_MAX.
    auto centre = [](int32_t area_low, int32_t area_high, int32_t low, int32_t high) {
        const int64_t offset =
            ((static_cast<int64_t>(area_high) - area_low) - (static_cast<int64_t>(high) - low)) / 2;
        return static_cast<int32_t>(offset < 0 ? 0 : offset > INT32_MAX ? INT32_MAX : offset);
    };
    return {centre(work_area.left, work_area.right, dialog.left, dialog.right),
            centre(work_area.top, work_area.bottom, dialog.top, dialog.bottom)};
}
