// A stand-in PASSWORD.CPL for the tests: its VerifyScreenSavePwd answers what the driver put in
// the shared record, optionally after running a little modal loop like the system's dialog.
#include "stand_in_record.h"

namespace {
StandInRecord* record = nullptr;

#ifndef STAND_IN_WITHOUT_ENTRY
void PumpWhile(DWORD ms, HWND owner, bool nudge)
{
    const DWORD start = GetTickCount();
    DWORD next_nudge = 0;
    while (GetTickCount() - start < ms) {
        if (nudge && GetTickCount() - start >= next_nudge) {
            PostMessageA(owner, WM_KEYDOWN, VK_SPACE, 0);
            PostMessageA(owner, WM_LBUTTONDOWN, 0, 0);
            PostMessageA(owner, WM_CLOSE, 0, 0);
            next_nudge += 200;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}
#endif
} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        record = OpenStandInRecord();
        if (record != nullptr)
            InterlockedIncrement(&record->password_loads);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr && record != nullptr) {
        InterlockedIncrement(&record->password_frees);
    }
    return TRUE;
}

#ifndef STAND_IN_WITHOUT_ENTRY
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner)
{
    if (record == nullptr)
        return TRUE;
    const LONG call = InterlockedIncrement(&record->verify_calls);
    const LONG depth = InterlockedIncrement(&record->verify_depth);
    if (depth > record->verify_depth_max)
        record->verify_depth_max = depth;
    record->verify_owner = reinterpret_cast<uintptr_t>(owner);
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    record->running_during_verify = running;
    if (record->dialog_ms > 0)
        PumpWhile(static_cast<DWORD>(record->dialog_ms), owner, record->nudge_during_dialog != 0);
    if (record->nudge_on_return)
        PostMessageA(owner, WM_KEYDOWN, VK_SPACE, 0);
    InterlockedDecrement(&record->verify_depth);
    return call <= 8 ? record->answers[call - 1] : record->later_answer;
}
#endif
