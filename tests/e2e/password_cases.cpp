// End-to-end cases of the dismissal rules and of the Windows 9x password hooks. The 9x cases
// run a copy of purl.scr that Wine reports Windows 98 to, beside stand-in PASSWORD.CPL and
// MPR.DLL whose answers the driver sets through a shared record.
#include "harness.h"
#include "stand_in_record.h"
#include <cstring>

namespace {
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
    const char* password =
        verifier_has_entry ? "stand_in_password.dll" : "stand_in_password_without_entry.dll";
    EXPECT_TRUE(CopyFileA(g_saver_path.c_str(), program.c_str(), FALSE));
    EXPECT_TRUE(
        CopyFileA((DriverFolder() + password).c_str(), (folder + "PASSWORD.CPL").c_str(), FALSE));
    EXPECT_TRUE(CopyFileA((DriverFolder() + "stand_in_mpr.dll").c_str(),
                          (folder + "MPR.DLL").c_str(), FALSE));
    return program;
}

// The password cases: a copy of purl.scr beside the stand-ins, run as on Windows 98, with the
// stand-ins' record cleared; afterwards the password value is gone (SaverCase restores the
// version Wine reports).
class password : public SaverCase {
  protected:
    void Prepare(bool verifier_has_entry)
    {
        program = PrepareWin9xFolder(verifier_has_entry);
        ASSERT_NE(Record(), nullptr);
        ResetRecord();
        ReportWindows98(true);
    }
    void TearDown() override
    {
        SaverCase::TearDown();
        SetUsePassword(UsePassword::Unset);
        RestoreDisplay();
    }
    std::string program;
};
using dismissal = SaverCase;

// The system's "a saver is running" flag, as another program reads it. Wine keeps the value
// a process read first, so each reading is made by a new process (this driver, asked to).
int ScreenSaverRunning()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return static_cast<int>(RunProgramToExit(path, "--saver-running", 15000));
}

TEST_F(password, none_wanted)
{
    Prepare(true);
    for (UsePassword use : {UsePassword::Unset, UsePassword::Zero, UsePassword::EightBytes}) {
        SetUsePassword(use);
        ResetRecord();
        Saver saver;
        ASSERT_NE(StartFullScreen(saver, program), nullptr);
        EXPECT_EQ(ScreenSaverRunning(), 0);
        PressKey(VK_SPACE);
        EXPECT_EQ(WaitForEnd(saver), 0ul);
        EXPECT_EQ(Record()->password_loads, 0l);
    }
}

TEST_F(password, refused_then_accepted)
{
    Prepare(true);
    SetUsePassword(UsePassword::One);
    Record()->answers[0] = 0;
    Record()->answers[1] = 1;
    Record()->nudge_on_return = 1; // a key press right after the refusal: inside the lock-out
    Saver saver;
    HWND window = StartFullScreen(saver, program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Record()->password_loads, 1l);
    EXPECT_EQ(ScreenSaverRunning(), 1);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitUntil([] { return Record()->verify_calls == 1; }, 5000));
    Pump(1000); // the nudge inside the lock-out asks nothing, and an ending would show by then
    EXPECT_TRUE(IsRunning(saver));
    EXPECT_EQ(Record()->verify_calls, 1l);
    EXPECT_EQ(Record()->running_during_verify, 1l);
    EXPECT_TRUE(Record()->verify_owner == reinterpret_cast<uintptr_t>(window));

    PressKey(VK_SPACE); // long after the lock-out: asks again, and the answer is yes
    EXPECT_EQ(WaitForEnd(saver), 0ul);
    EXPECT_EQ(Record()->verify_calls, 2l);
    EXPECT_EQ(Record()->verify_depth_max, 1l);
    EXPECT_EQ(Record()->password_frees, 1l);
    EXPECT_EQ(ScreenSaverRunning(), 0);
}

TEST_F(password, input_during_dialog)
{
    Prepare(true);
    SetUsePassword(UsePassword::One);
    Record()->answers[0] = 0;
    Record()->answers[1] = 0x7FFFFFFF; // any nonzero answer lets the saver close
    Record()->dialog_ms = 2000;
    Record()->nudge_during_dialog = 1;
    Saver saver;
    ASSERT_NE(StartFullScreen(saver, program), nullptr);

    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitUntil([] { return Record()->verify_depth == 1; }, 5000));
    // Real input while the dialog is up, besides what the dialog posts to the saver.
    MoveMouseBy(40, 30);
    ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([] { return Record()->verify_depth == 0; }, 5000));
    Pump(1000); // an ending would show by then
    EXPECT_TRUE(IsRunning(saver));
    EXPECT_EQ(Record()->verify_calls, 1l);
    EXPECT_EQ(Record()->verify_depth_max, 1l);

    Record()->dialog_ms = 0;
    PressKey(VK_SPACE);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
    EXPECT_EQ(Record()->verify_calls, 2l);
}

TEST_F(password, verifier_without_entry)
{
    Prepare(false);
    SetUsePassword(UsePassword::One);
    Saver saver;
    ASSERT_NE(StartFullScreen(saver, program), nullptr);
    EXPECT_EQ(Record()->password_loads, 1l);
    EXPECT_EQ(Record()->password_frees, 1l); // unloaded again at once
    EXPECT_EQ(ScreenSaverRunning(), 0);
    PressKey(VK_SPACE);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
}

TEST_F(password, odd_values_and_garbage)
{
    Prepare(true);
    // The value's type plays no part: text "1" and two bytes {1, 0} both ask for a password.
    for (UsePassword use : {UsePassword::TextOne, UsePassword::TwoBytes}) {
        SetUsePassword(use);
        ResetRecord();
        for (LONG& answer : Record()->answers)
            answer = -1; // an odd nonzero "yes"
        Record()->later_answer = -1;
        Saver saver;
        HWND window = StartFullScreen(saver, program);
        ASSERT_NE(window, nullptr);
        // Messages with garbage parameters. A verify request from outside is answered "yes" by
        // the verifier but grants nothing by itself: only a checked close does.
        uint32_t seed = 12345;
        auto next = [&seed]() { return seed = seed * 1103515245u + 12345u; };
        const UINT messages[] = {WM_APP,   WM_TIMER,       WM_SETCURSOR, WM_SHOWWINDOW,
                                 WM_POWER, WM_ACTIVATEAPP, WM_PAINT,     WM_ERASEBKGND,
                                 WM_HELP,  WM_KEYUP,       WM_CHAR,      WM_MOUSEWHEEL,
                                 WM_NULL,  WM_APP + 1};
        for (int i = 0; i < 300; ++i) {
            const UINT message = messages[next() % (sizeof messages / sizeof messages[0])];
            WPARAM wparam = next();
            if (message == WM_ACTIVATEAPP)
                wparam |= 1; // gaining activation only
            if (message == WM_POWER && wparam == PWR_CRITICALRESUME)
                wparam = 0;
            SendMessageTimeoutA(window, message, wparam, static_cast<LPARAM>(next()), SMTO_NORMAL,
                                2000, nullptr);
        }
        Pump(800); // an ending would show by then
        EXPECT_TRUE(IsRunning(saver));
        const LONG asked = Record()->verify_calls;
        PressKey(VK_SPACE);
        EXPECT_EQ(WaitForEnd(saver), 0ul);
        EXPECT_EQ(Record()->verify_calls, asked + 1);
    }
}

HWND MakePlainWindow()
{
    return MakeTestWindow("PurlTestPlain", nullptr, WS_OVERLAPPEDWINDOW, {50, 50, 250, 150});
}

// A change of the screens is not input: on Windows 98 with a password it neither ends the saver
// nor asks for the password, even where the system moves the cursor.
TEST_F(password, display_changes)
{
    const std::vector<std::string> steps = DisplaySteps();
    if (steps.empty())
        GTEST_SKIP() << "no display changes for this layout";
    Prepare(true);
    SetUsePassword(UsePassword::One);
    Record()->answers[0] = 1;
    Saver saver;
    HWND window = StartFullScreen(saver, program);
    ASSERT_NE(window, nullptr);
    for (const std::string& step : steps) {
        SCOPED_TRACE("xrandr " + step);
        ASSERT_TRUE(ChangeDisplay(step, 10000)) << "the layout did not change";
        CheckFollowsDisplay(saver, window);
        Pump(1000); // a held move is judged after half a second; an ending would show by then
        EXPECT_TRUE(IsRunning(saver));
        EXPECT_EQ(Record()->verify_calls, 0l);
    }
    PressKey(VK_SPACE);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
    EXPECT_EQ(Record()->verify_calls, 1l);
}

// Only the system going to sleep or waking ends the saver; a laptop's other power events come
// with nobody at it. As Windows 98 without and with a password: an event that ends it asks for
// the password, one that does not never does.
TEST_F(password, power_events)
{
    const struct {
        const char* name;
        WPARAM event;
        bool ends;
    } rows[] = {
        {"power status change", PBT_APMPOWERSTATUSCHANGE, false},
        {"battery low", PBT_APMBATTERYLOW, false},
        {"OEM event", PBT_APMOEMEVENT, false},
        {"power setting change", PBT_POWERSETTINGCHANGE, false},
        {"query suspend", PBT_APMQUERYSUSPEND, true},
        {"suspend", PBT_APMSUSPEND, true},
        {"resume automatic", PBT_APMRESUMEAUTOMATIC, true},
    };
    Prepare(true);
    for (UsePassword use : {UsePassword::Unset, UsePassword::One}) {
        SetUsePassword(use);
        const long asks = use == UsePassword::One;
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (asks ? ", with a password" : ""));
            ResetRecord();
            Record()->answers[0] = 1;
            Saver saver;
            HWND window = StartFullScreen(saver, program);
            ASSERT_NE(window, nullptr);
            PostMessageA(window, WM_POWERBROADCAST, row.event, 0);
            if (row.ends) {
                EXPECT_EQ(WaitForEnd(saver), 0ul);
                EXPECT_EQ(Record()->verify_calls, asks);
                continue;
            }
            Pump(1000); // an ending would show by then
            EXPECT_TRUE(IsRunning(saver));
            EXPECT_EQ(Record()->verify_calls, 0l);
            PressKey(VK_SPACE);
            EXPECT_EQ(WaitForEnd(saver), 0ul);
        }
    }
}

TEST_F(password, change_password)
{
    Prepare(true);
    ReportWindows98(false); // first as on Windows NT
    HWND owner = MakePlainWindow();

    // Not on Windows 9x: -1, and MPR.DLL is never loaded.
    EXPECT_EQ(RunProgramToExit(program, "/a " + Decimal(owner), 15000), 0xFFFFFFFFul);
    EXPECT_EQ(Record()->mpr_loads, 0l);

    ReportWindows98(true);
    ResetRecord();
    EXPECT_EQ(RunProgramToExit(program, "/a " + Decimal(owner), 15000), 0ul);
    EXPECT_EQ(Record()->change_calls, 1l);
    EXPECT_TRUE(strcmp(Record()->change_provider, "SCRSAVE") == 0);
    EXPECT_TRUE(Record()->change_parent == reinterpret_cast<uintptr_t>(owner));
    EXPECT_TRUE(Record()->change_third == 0);
    EXPECT_TRUE(Record()->change_fourth == 0);
    EXPECT_EQ(Record()->mpr_loads, 1l);
    EXPECT_EQ(Record()->mpr_frees, 1l);

    // A dead handle falls back to the foreground window; the mode still returns 0.
    ResetRecord();
    SetForegroundWindow(owner);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == owner; }, 3000));
    EXPECT_EQ(RunProgramToExit(program, "-A 99999", 15000), 0ul);
    EXPECT_EQ(Record()->change_calls, 1l);
    EXPECT_TRUE(Record()->change_parent == reinterpret_cast<uintptr_t>(owner));
}

// NT-family rules: what ends the saver, and mouse travel measured from where it started.
TEST_F(dismissal, mouse_travel)
{
    Saver saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    POINT start;
    GetCursorPos(&start);
    MoveMouseTo(start.x + 1, start.y + 1);
    MoveMouseTo(start.x + 2, start.y + 2);
    POINT moved;
    GetCursorPos(&moved);
    EXPECT_EQ(moved.x - start.x + moved.y - start.y, 4l);
    Pump(1000); // an ending would show by then
    EXPECT_TRUE(IsRunning(saver));
    MoveMouseTo(start.x + 3, start.y + 2);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
}

TEST_F(dismissal, each_input)
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
        Saver saver;
        HWND window = StartFullScreen(saver);
        ASSERT_NE(window, nullptr) << input.name;
        // Input that must not end it first: a key release, the wheel, a double-click's message.
        for (UINT message : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK})
            EXPECT_TRUE(PostMessageA(window, message, 0, MAKELPARAM(5, 5)));
        INPUT release = {};
        release.type = INPUT_KEYBOARD;
        release.ki.wVk = VK_SHIFT;
        release.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &release, sizeof release);
        ClickButton(MOUSEEVENTF_WHEEL, MOUSEEVENTF_WHEEL, WHEEL_DELTA);
        DWORD early = 0;
        // An ending takes a second or two to show.
        EXPECT_FALSE(WaitForExit(saver, 2500, &early)) << "ended before " << input.name;
        input.send();
        EXPECT_EQ(WaitForEnd(saver), 0ul) << input.name;
    }
}
} // namespace
