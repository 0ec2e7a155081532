// End-to-end cases of the dismissal rules and of the Windows 9x password hooks. The 9x cases
// run a copy of purl.scr that Wine reports Windows 98 to, beside stand-in PASSWORD.CPL and
// MPR.DLL whose answers the driver sets through a shared record.
#include "harness.h"
#include "stand_in_record.h"
#include <cstring>

namespace {
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\purl.scr";
const char kDesktopKey[] = "Control Panel\\Desktop";

StandInRecord* Record()
{
    static StandInRecord* record = OpenStandInRecord();
    return record;
}

void ResetRecord()
{
    if (Record() != nullptr)
        memset(Record(), 0, sizeof(StandInRecord));
}

// Wine reports Windows 98 to every purl.scr started while this is on, and loads our MPR.DLL
// rather than its own.
void ReportWindows98(bool on)
{
    if (on) {
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
        HKEY overrides;
        RegCreateKeyExA(key, "DllOverrides", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &overrides,
                        nullptr);
        RegSetValueExA(overrides, "mpr", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"),
                       15);
        RegCloseKey(overrides);
        RegCloseKey(key);
    } else {
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + "\\DllOverrides").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    }
}

enum class UsePassword { Unset, Zero, One, EightBytes, TextOne, TwoBytes };

void SetUsePassword(UsePassword use)
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    const DWORD zero = 0, one = 1;
    const BYTE eight[8] = {1, 0, 0, 0, 1, 0, 0, 0};
    const BYTE two[2] = {1, 0};
    switch (use) {
    case UsePassword::Unset:
        RegDeleteValueA(key, "ScreenSaveUsePassword");
        break;
    case UsePassword::Zero:
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&zero), 4);
        break;
    case UsePassword::One:
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&one), 4);
        break;
    case UsePassword::EightBytes:
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_BINARY, eight, 8);
        break;
    case UsePassword::TextOne:
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"),
                       2);
        break;
    case UsePassword::TwoBytes:
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_BINARY, two, 2);
        break;
    }
    RegCloseKey(key);
}

// A folder holding a copy of purl.scr with the stand-ins beside it; returns the copy's path.
std::string PrepareWin9xFolder(bool verifier_has_entry)
{
    const std::string folder = DriverFolder() + "win9x\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "purl.scr";
    CopyFileA(g_saver_path.c_str(), program.c_str(), FALSE);
    const char* password =
        verifier_has_entry ? "stand_in_password.dll" : "stand_in_password_without_entry.dll";
    CHECK(CopyFileA((DriverFolder() + password).c_str(), (folder + "PASSWORD.CPL").c_str(), FALSE));
    CHECK(CopyFileA((DriverFolder() + "stand_in_mpr.dll").c_str(), (folder + "MPR.DLL").c_str(),
                    FALSE));
    return program;
}

// For one case: a copy of purl.scr beside the stand-ins, run as on Windows 98; afterwards
// Wine reports the usual version again and the password value is gone.
struct Windows98Scope {
    std::string program;
    explicit Windows98Scope(bool verifier_has_entry)
        : program(PrepareWin9xFolder(verifier_has_entry))
    {
        ReportWindows98(true);
    }
    ~Windows98Scope()
    {
        ReportWindows98(false);
        SetUsePassword(UsePassword::Unset);
    }
};

// The system's "a saver is running" flag, as another program reads it. Wine keeps the value
// a process read first, so each reading is made by a new process (this driver, asked to).
int ScreenSaverRunning()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return static_cast<int>(RunProgramToExit(path, "--saver-running", 15000));
}

HWND StartWin9xSaver(Saver& saver, const std::string& program)
{
    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    saver = StartProgram(program, "/s");
    HWND window = WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000);
    CHECK(window != nullptr);
    Pump(700);
    return window;
}

void NoPasswordWantedClosesAtOnce()
{
    const Windows98Scope windows98(true);
    const std::string& program = windows98.program;
    for (UsePassword use : {UsePassword::Unset, UsePassword::Zero, UsePassword::EightBytes}) {
        SetUsePassword(use);
        ResetRecord();
        Saver saver;
        StartWin9xSaver(saver, program);
        CHECK_EQ(ScreenSaverRunning(), 0);
        PressKey(VK_SPACE);
        CHECK_EQ(WaitForEnd(saver), 0ul);
        CHECK_EQ(Record()->password_loads, 0l);
    }
}

void PasswordRefusedThenAccepted()
{
    const Windows98Scope windows98(true);
    const std::string& program = windows98.program;
    SetUsePassword(UsePassword::One);
    ResetRecord();
    Record()->answers[0] = 0;
    Record()->answers[1] = 1;
    Record()->nudge_on_return = 1; // a key press right after the refusal: inside the lock-out
    Saver saver;
    HWND window = StartWin9xSaver(saver, program);
    CHECK_EQ(Record()->password_loads, 1l);
    CHECK_EQ(ScreenSaverRunning(), 1);
    PressKey(VK_SPACE);
    Pump(1000);
    CHECK(IsRunning(saver));
    CHECK_EQ(Record()->verify_calls, 1l);
    CHECK_EQ(Record()->running_during_verify, 1l);
    CHECK(Record()->verify_owner == reinterpret_cast<uintptr_t>(window));

    PressKey(VK_SPACE); // long after the lock-out: asks again, and the answer is yes
    CHECK_EQ(WaitForEnd(saver), 0ul);
    CHECK_EQ(Record()->verify_calls, 2l);
    CHECK_EQ(Record()->verify_depth_max, 1l);
    CHECK_EQ(Record()->password_frees, 1l);
    CHECK_EQ(ScreenSaverRunning(), 0);
}

void InputDuringTheDialogClosesNothing()
{
    const Windows98Scope windows98(true);
    const std::string& program = windows98.program;
    SetUsePassword(UsePassword::One);
    ResetRecord();
    Record()->answers[0] = 0;
    Record()->answers[1] = 0x7FFFFFFF; // any nonzero answer lets the saver close
    Record()->dialog_ms = 2000;
    Record()->nudge_during_dialog = 1;
    Saver saver;
    StartWin9xSaver(saver, program);

    PressKey(VK_SPACE);
    Pump(300);
    // Real input while the dialog is up, besides what the dialog posts to the saver.
    MoveMouseBy(40, 30);
    ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    PressKey(VK_RETURN);
    Pump(2500);
    CHECK(IsRunning(saver));
    CHECK_EQ(Record()->verify_calls, 1l);
    CHECK_EQ(Record()->verify_depth_max, 1l);

    Record()->dialog_ms = 0;
    PressKey(VK_SPACE);
    CHECK_EQ(WaitForEnd(saver), 0ul);
    CHECK_EQ(Record()->verify_calls, 2l);
}

void VerifierWithoutEntryMeansNoPassword()
{
    const Windows98Scope windows98(false);
    const std::string& program = windows98.program;
    SetUsePassword(UsePassword::One);
    ResetRecord();
    Saver saver;
    StartWin9xSaver(saver, program);
    CHECK_EQ(Record()->password_loads, 1l);
    CHECK_EQ(Record()->password_frees, 1l); // unloaded again at once
    CHECK_EQ(ScreenSaverRunning(), 0);
    PressKey(VK_SPACE);
    CHECK_EQ(WaitForEnd(saver), 0ul);
}

void OddRegistryValuesAndGarbageMessages()
{
    const Windows98Scope windows98(true);
    const std::string& program = windows98.program;
    // The value's type plays no part: text "1" and two bytes {1, 0} both ask for a password.
    for (UsePassword use : {UsePassword::TextOne, UsePassword::TwoBytes}) {
        SetUsePassword(use);
        ResetRecord();
        for (LONG& answer : Record()->answers)
            answer = -1; // an odd nonzero "yes"
        Record()->later_answer = -1;
        Saver saver;
        HWND window = StartWin9xSaver(saver, program);
        // Messages with garbage parameters. A verify request from outside is answered "yes" by
        // the verifier but grants nothing by itself: only a checked close does.
        uint32_t seed = 12345;
        auto next = [&seed]() { return seed = seed * 1103515245u + 12345u; };
        const UINT messages[] = {WM_APP,   WM_TIMER,       WM_SETCURSOR, WM_SHOWWINDOW,
                                 WM_POWER, WM_ACTIVATEAPP, WM_PAINT,     WM_ERASEBKGND,
                                 WM_HELP,  WM_KEYUP,       WM_CHAR,      WM_MOUSEWHEEL,
                                 WM_NULL,  WM_APP + 1};
        for (int i = 0; i < 300 && window != nullptr; ++i) {
            const UINT message = messages[next() % (sizeof messages / sizeof messages[0])];
            WPARAM wparam = next();
            if (message == WM_ACTIVATEAPP)
                wparam |= 1; // gaining activation only
            if (message == WM_POWER && wparam == PWR_SUSPENDREQUEST)
                wparam = 0;
            SendMessageTimeoutA(window, message, wparam, static_cast<LPARAM>(next()), SMTO_NORMAL,
                                2000, nullptr);
        }
        Pump(800);
        CHECK(IsRunning(saver));
        const LONG asked = Record()->verify_calls;
        PressKey(VK_SPACE);
        CHECK_EQ(WaitForEnd(saver), 0ul);
        CHECK_EQ(Record()->verify_calls, asked + 1);
    }
}

HWND MakePlainWindow()
{
    return MakeTestWindow("PurlTestPlain", nullptr, WS_OVERLAPPEDWINDOW, {50, 50, 250, 150});
}

void ChangePasswordHandsOnItsParent()
{
    const std::string program = PrepareWin9xFolder(true);
    HWND owner = MakePlainWindow();

    // Not on Windows 9x: -1, and MPR.DLL is never loaded.
    ResetRecord();
    CHECK_EQ(RunProgramToExit(program, "/a " + Decimal(owner), 15000), 0xFFFFFFFFul);
    CHECK_EQ(Record()->mpr_loads, 0l);

    ReportWindows98(true);
    ResetRecord();
    CHECK_EQ(RunProgramToExit(program, "/a " + Decimal(owner), 15000), 0ul);
    CHECK_EQ(Record()->change_calls, 1l);
    CHECK(strcmp(Record()->change_provider, "SCRSAVE") == 0);
    CHECK(Record()->change_parent == reinterpret_cast<uintptr_t>(owner));
    CHECK(Record()->change_third == 0);
    CHECK(Record()->change_fourth == 0);
    CHECK_EQ(Record()->mpr_loads, 1l);
    CHECK_EQ(Record()->mpr_frees, 1l);

    // A dead handle falls back to the foreground window; the mode still returns 0.
    ResetRecord();
    SetForegroundWindow(owner);
    Pump(200);
    CHECK_EQ(RunProgramToExit(program, "-A 99999", 15000), 0ul);
    CHECK_EQ(Record()->change_calls, 1l);
    CHECK(Record()->change_parent == reinterpret_cast<uintptr_t>(owner));
    ReportWindows98(false);
    DestroyWindow(owner);
}

// NT-family rules: what ends the saver, and mouse travel measured from where it started.
void MouseTravelAboveFourEndsTheSaver()
{
    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    POINT start;
    GetCursorPos(&start);
    Saver saver = StartSaver("/s");
    CHECK(WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000) != nullptr);
    Pump(700);
    MoveMouseTo(start.x + 1, start.y + 1);
    MoveMouseTo(start.x + 2, start.y + 2);
    POINT moved;
    GetCursorPos(&moved);
    CHECK_EQ(moved.x - start.x + moved.y - start.y, 4l);
    Pump(1000);
    CHECK(IsRunning(saver));
    MoveMouseTo(start.x + 3, start.y + 2);
    CHECK_EQ(WaitForEnd(saver), 0ul);
}

void EachInputEndsTheSaver()
{
    struct Input {
        const char* name;
        void (*send)();
    } inputs[] = {
        {"key", [] { PressKey('A'); }},
        {"left button", [] { ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }},
        {"right button", [] { ClickButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }},
        {"middle button", [] { ClickButton(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }},
        {"loss of activation", [] { SetForegroundWindow(MakePlainWindow()); }},
    };
    for (const Input& input : inputs) {
        MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
        Saver saver = StartSaver("/s");
        HWND window = WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000);
        CHECK(window != nullptr);
        Pump(700);
        // Input that must not end it first: a key release, the wheel, a double-click's message.
        for (UINT message : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK})
            CHECK(PostMessageA(window, message, 0, MAKELPARAM(5, 5)));
        INPUT release = {};
        release.type = INPUT_KEYBOARD;
        release.ki.wVk = VK_SHIFT;
        release.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &release, sizeof release);
        ClickButton(MOUSEEVENTF_WHEEL, MOUSEEVENTF_WHEEL, WHEEL_DELTA);
        DWORD early = 0;
        if (WaitForExit(saver, 2500, &early)) // an ending takes a second or two to show
            RecordFailure(__FILE__, __LINE__, std::string("ended before ") + input.name);
        input.send();
        DWORD code = 0xDEAD;
        if (!WaitForExit(saver, 15000, &code) || code != 0)
            RecordFailure(__FILE__, __LINE__, std::string(input.name) + " did not end it with 0");
        StopSaver(saver);
    }
}

const TestCase cases[] = {
    {"dismissal.mouse_travel", MouseTravelAboveFourEndsTheSaver},
    {"dismissal.each_input", EachInputEndsTheSaver},
    {"password.none_wanted", NoPasswordWantedClosesAtOnce},
    {"password.refused_then_accepted", PasswordRefusedThenAccepted},
    {"password.input_during_dialog", InputDuringTheDialogClosesNothing},
    {"password.verifier_without_entry", VerifierWithoutEntryMeansNoPassword},
    {"password.odd_values_and_garbage", OddRegistryValuesAndGarbageMessages},
    {"password.change_password", ChangePasswordHandsOnItsParent},
};
const Registration registration(cases, sizeof cases / sizeof cases[0]);
} // namespace
