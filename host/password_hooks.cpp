// The Windows 9x password hooks. Everything here is skipped on other systems; libraries that
// may be missing are loaded by name and a missing one turns its feature off without a word.
#include "host/password_hooks.h"
#include "common/saver_state.h"
#include "host/close_check.h"

namespace {
using ChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);

// Reads "ScreenSaveUsePassword" as a 32-bit value; longer data fails the read.
bool UserWantsPassword(HKEY key)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return false;
    return value != 0;
}

uint32_t TickCount()
{
    return GetTickCount();
}

void DropPendingTicks(void* window)
{
    MSG message;
    PeekMessageA(&message, static_cast<HWND>(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&message, static_cast<HWND>(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

intptr_t SendVerifyRequest(void* window)
{
    return SendMessageA(static_cast<HWND>(window), WM_APP, 0, 0);
}

void HideCursor()
{
    SetCursor(nullptr);
}

const CloseCheckOps close_check_ops = {TickCount, DropPendingTicks, SendVerifyRequest, HideCursor};
} // namespace

void SetSaverRunning(BOOL running)
{
    if (!g_saver.is_win9x)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

void UnloadPasswordVerifier()
{
    if (!g_saver.is_win9x || g_saver.password_dll == nullptr)
        return;
    FreeLibrary(static_cast<HMODULE>(g_saver.password_dll));
    g_saver.password_dll = nullptr;
    if (g_saver.verify_password != nullptr) {
        g_saver.verify_password = nullptr;
        SetSaverRunning(FALSE);
    }
}

void LoadPasswordVerifier()
{
    if (!g_saver.is_win9x)
        return;
    if (g_saver.password_dll != nullptr)
        UnloadPasswordVerifier();
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    if (UserWantsPassword(key)) {
        HMODULE library = LoadLibraryA("PASSWORD.CPL");
        if (library != nullptr) {
            g_saver.password_dll = library;
            g_saver.verify_password =
                reinterpret_cast<void*>(GetProcAddress(library, "VerifyScreenSavePwd"));
            if (g_saver.verify_password != nullptr)
                SetSaverRunning(TRUE);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(key);
}

UINT VerifyOnClose(HWND window)
{
    return CheckCloseRequest(g_saver, close_check_ops, window);
}

void ChangePassword(HWND parent)
{
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (library == nullptr)
        return;
    auto change = reinterpret_cast<ChangePasswordFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
    if (change != nullptr)
        change("SCRSAVE", parent, 0, nullptr);
    FreeLibrary(library);
}
