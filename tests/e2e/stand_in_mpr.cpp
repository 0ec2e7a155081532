// A stand-in MPR.DLL for the tests: its PwdChangePasswordA records what it was handed.
#include "stand_in_record.h"
#include <cstring>

namespace {
StandInRecord* record = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        record = OpenStandInRecord();
        if (record != nullptr)
            InterlockedIncrement(&record->mpr_loads);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr && record != nullptr) {
        InterlockedIncrement(&record->mpr_frees);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD third, LPVOID fourth)
{
    if (record == nullptr)
        return 0;
    InterlockedIncrement(&record->change_calls);
    strncpy(record->change_provider, provider ? provider : "(null)",
            sizeof record->change_provider - 1);
    record->change_parent = reinterpret_cast<uintptr_t>(parent);
    record->change_third = third;
    record->change_fourth = reinterpret_cast<uintptr_t>(fourth);
    return 0;
}
