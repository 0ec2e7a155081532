// The configuration dialog (template 2003): placed on the work area, ended by its two commands.
#include "host/config_dialog.h"
#include "common/saver_state.h"
#include "host/dialog_placement.h"

namespace {
const WORD kConfigDialog = 2003;

void PlaceDialog(HWND dialog)
{
    RECT outer;
    if (!GetWindowRect(dialog, &outer))
        return;
    // Without a work area, the whole screen stands in for it.
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const DialogPosition place =
        PlaceConfigDialog({work.left, work.top, work.right, work.bottom},
                          {outer.left, outer.top, outer.right, outer.bottom});
    SetWindowPos(dialog, HWND_NOTOPMOST, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
} // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        PlaceDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (LOWORD(wparam) == IDOK) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int ShowConfigDialog(HWND parent)
{
    HINSTANCE instance = static_cast<HINSTANCE>(g_saver.instance);
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(kConfigDialog), parent, ConfigDialogProc, 0));
}
