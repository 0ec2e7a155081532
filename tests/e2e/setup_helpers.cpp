// The driver's helpers for tests/check_setup.sh, each a mode of its command line: waiting for a
// page of setup the way a user sees it, starting a program without an administrator's rights,
// and keeping purl.scr in use as the settings page's running preview does.
#include "harness.h"
#include <cstdio>
#include <cstring>

namespace {
struct PageSearch {
    const char* text;   // shown by some visible control, or the window's title
    const char* button; // the caption of a visible, enabled button of the same window
    bool text_seen, button_seen;
};

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK LookAtControl(HWND control, LPARAM data)
{
    PageSearch& search = *reinterpret_cast<PageSearch*>(data);
    if (!IsWindowVisible(control))
        return TRUE;
    const std::string text = WindowText(control);
    if (text.find(search.text) != std::string::npos)
        search.text_seen = true;
    char window_class[64] = "";
    GetClassNameA(control, window_class, sizeof window_class);
    if (_stricmp(window_class, "Button") == 0 && IsWindowEnabled(control) &&
        text.find(search.button) != std::string::npos)
        search.button_seen = true;
    return TRUE;
}

HWND found_page = nullptr;

BOOL CALLBACK LookAtWindow(HWND window, LPARAM data)
{
    PageSearch& search = *reinterpret_cast<PageSearch*>(data);
    if (!IsWindowVisible(window))
        return TRUE;
    search.text_seen = WindowText(window).find(search.text) != std::string::npos;
    search.button_seen = false;
    EnumChildWindows(window, LookAtControl, data);
    if (!search.text_seen || !search.button_seen)
        return TRUE;
    found_page = window;
    return FALSE;
}

// Waits (30 s at most) for a window that shows the text and offers the button, and prints the
// middle of that window, where a click or a key reaches it: "x y". Exit code 1 if none came.
int WaitForPage(const char* text, const char* button)
{
    PageSearch search = {text, button, false, false};
    const bool shown = WaitUntil(
        [&] {
            found_page = nullptr;
            EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&search));
            return found_page != nullptr;
        },
        30000);
    if (!shown)
        return 1;
    RECT place;
    GetWindowRect(found_page, &place);
    printf("%ld %ld\n", (place.left + place.right) / 2, (place.top + place.bottom) / 2);
    return 0;
}

// Runs the program with the Administrators group deny-only in its token, as in the token of a
// user who is not an administrator; gives its exit code. It is ended after 30 s, or with the
// driver (its job ends it when the driver's handle closes), so that none is left behind.
int RunWithoutAdministrator(const char* program, const char* argument)
{
    HANDLE token = nullptr, limited = nullptr;
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof sid;
    SID_AND_ATTRIBUTES administrators = {sid, 0};
    if (job == nullptr ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) ||
        !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sid_size) ||
        !CreateRestrictedToken(token, 0, 1, &administrators, 0, nullptr, 0, nullptr, &limited)) {
        fprintf(stderr, "no job or restricted token: error %lu\n", GetLastError());
        return 255;
    }
    std::string command_line = std::string("\"") + program + "\"";
    if (argument != nullptr)
        command_line += std::string(" ") + argument;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessAsUserA(limited, nullptr, &command_line[0], nullptr, nullptr, FALSE,
                              CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "%s did not start: error %lu\n", program, GetLastError());
        return 255;
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    DWORD code = 255;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        fprintf(stderr, "%s did not end within 30 s\n", program);
    CloseHandle(job); // ends it if it still runs
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Maps the file as an image, as a running program's file is mapped, prints "held" and keeps it
// so until ended: the system refuses to write or delete it meanwhile.
int HoldImage(const char* path)
{
    if (LoadLibraryExA(path, nullptr, DONT_RESOLVE_DLL_REFERENCES) == nullptr) {
        fprintf(stderr, "%s could not be mapped: error %lu\n", path, GetLastError());
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
} // namespace

bool RunSetupHelper(int argc, char** argv, int* exit_code)
{
    if (argc == 4 && strcmp(argv[1], "--wait-for-page") == 0)
        *exit_code = WaitForPage(argv[2], argv[3]);
    else if ((argc == 3 || argc == 4) && strcmp(argv[1], "--without-administrator") == 0)
        *exit_code = RunWithoutAdministrator(argv[2], argc == 4 ? argv[3] : nullptr);
    else if (argc == 3 && strcmp(argv[1], "--hold-image") == 0)
        *exit_code = HoldImage(argv[2]);
    else
        return false;
    return true;
}
