// The process entry: reads the command line, records the instance and the platform, runs the
// chosen mode inside a fault guard and exits with the mode's result.
#include "common/saver_state.h"
#include "host/command_line.h"
#include "host/config_dialog.h"
#include "host/password_hooks.h"
#include "host/saver_window.h"
#include <windows.h>

namespace {
const char* NextChar(const char* p)
{
    return CharNextA(p);
}

bool RunsOnWindows9x()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version; // 148 bytes
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

HWND LiveWindow(uint32_t handle)
{
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    return handle != 0 && IsWindow(window) ? window : nullptr;
}

// The settings page need not share purl's per-monitor DPI awareness, and since Windows 10 1803
// (DPI_HOSTING_BEHAVIOR) a window by default takes no child of another awareness: on a scaled
// display the preview would stay empty or cropped. So the preview's thread takes its host's
// awareness before it makes the window. The calls exist from Windows 10 1607; where they don't,
// awareness plays no part in the preview. The full-screen saver keeps the manifest's per-monitor
// awareness.
void TakeHostDpiAwareness(HWND host)
{
    using GetContextFn = HANDLE(WINAPI*)(HWND);
    using SetContextFn = HANDLE(WINAPI*)(HANDLE);
    HMODULE user = GetModuleHandleA("USER32.DLL");
    const auto get = reinterpret_cast<GetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetWindowDpiAwarenessContext")));
    const auto set = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
    if (get == nullptr || set == nullptr)
        return;
    if (HANDLE context = get(host))
        set(context);
}

int DispatchMode(HINSTANCE instance, const char* mode_text)
{
    g_saver.instance = instance;
    g_saver.is_win9x = RunsOnWindows9x();

    const ModeChoice choice = ReadModeText(mode_text);
    switch (choice.mode) {
    case SaverMode::Saver:
        return RunSaver(nullptr);
    case SaverMode::Preview: {
        HWND parent = LiveWindow(choice.handle);
        if (parent == nullptr)
            return -1;
        TakeHostDpiAwareness(parent);
        return RunSaver(parent);
    }
    case SaverMode::Configure: {
        HWND parent = choice.handle_given ? LiveWindow(choice.handle) : nullptr;
        return ShowConfigDialog(parent != nullptr ? parent : GetForegroundWindow());
    }
    case SaverMode::ConfigureNoSwitch:
        return ShowConfigDialog(nullptr);
    case SaverMode::ChangePassword: {
        if (!g_saver.is_win9x)
            return -1;
        HWND parent = LiveWindow(choice.handle);
        ChangePassword(parent != nullptr ? parent : GetForegroundWindow());
        return 0;
    }
    case SaverMode::Invalid:
        break;
    }
    return -1;
}

// A fault that escapes every mode goes to the system's own filter first; if that filter
// handles it, the saver stops announcing itself and the process ends with the fault's code.
LONG WINAPI FaultGuard(EXCEPTION_POINTERS* fault)
{
    SetUnhandledExceptionFilter(nullptr);
    const LONG verdict = UnhandledExceptionFilter(fault);
    if (verdict == EXCEPTION_EXECUTE_HANDLER) {
        SetSaverRunning(FALSE);
        ExitProcess(fault->ExceptionRecord->ExceptionCode);
    }
    return verdict;
}
} // namespace

// The process entry itself: the program links no C runtime start-up code, so the linker's
// default entry for a GUI program is this function, and it ends the process itself.
extern "C" void WinMainCRTStartup()
{
    SetUnhandledExceptionFilter(FaultGuard);
    const char* mode_text = SkipProgramName(GetCommandLineA(), NextChar);
    ExitProcess(static_cast<UINT>(DispatchMode(GetModuleHandleA(nullptr), mode_text)));
}
