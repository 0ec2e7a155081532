// The end-to-end harness, run under Wine on GoogleTest: starts purl.scr the way the
// screen-saver host does, finds its windows, drives real input and reads back exit codes and
// pixels. Every case runs in a SaverCase, which ends what the case started.
#pragma once
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

extern std::string g_saver_path; // purl.scr, as a Windows path

const char kSaverClass[] = "WindowsScreenSaverClass";
const DWORD kNoExit = 0xDEAD; // the exit code given for a program that had to be ended

// Every case: whatever programs it started are ended, whatever test windows it made are
// destroyed and Wine reports its usual Windows version again, however the case ended (a failed
// ASSERT, or the watchdog's limit, included). The Windows 98 setting is also cleared before
// the case, so a crash in an earlier case or run cannot leak into this one.
class SaverCase : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

struct Saver {
    PROCESS_INFORMATION process;
};

// Waits, pumping this thread's messages, until the condition holds; false if it did not within
// the time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms);
// Pumps this thread's messages for a time. Only where nothing can be awaited: a check that a
// program still runs, or a picture stays as it was, after a given time.
void Pump(DWORD ms);

// Starts purl.scr (or another program) with the given arguments after the quoted name.
Saver StartSaver(const std::string& arguments);
Saver StartProgram(const std::string& program, const std::string& arguments);
// Waits while pumping this thread's messages; true and the exit code once it ended.
bool WaitForExit(Saver& saver, DWORD timeout_ms, DWORD* exit_code);
bool IsRunning(const Saver& saver);
// Ends a saver that is still running.
void StopSaver(Saver& saver);
// Waits for a saver to end (15 s at most; one still running is ended) and gives its exit
// code, kNoExit when it had to be ended.
DWORD WaitForEnd(Saver& saver);
// Start and wait, giving the exit code (kNoExit, and a failure, when it did not end in time).
DWORD RunToExit(const std::string& arguments, DWORD timeout_ms);
DWORD RunProgramToExit(const std::string& program, const std::string& arguments, DWORD timeout_ms);

// The window is visible and has finished painting all there is to paint.
bool ShownAndPainted(HWND window);
// Starts a full-screen saver with the pointer parked, and gives its window once
// it is shown with its first picture painted (null if it never was).
HWND StartFullScreen(Saver& saver, const std::string& program = g_saver_path,
                     const std::string& arguments = "/s");
// Ends a saver with a key press, the pointer where it was parked, and expects exit code 0.
void EndWithKey(Saver& saver);

// The folder of the driver itself (the stand-in libraries are built beside it), with a "\\".
std::string DriverFolder();
std::string Decimal(HWND window);

HWND WaitForWindow(HWND parent, const char* window_class, const char* title, DWORD timeout_ms);
int CountTopLevelWindows(const char* window_class);

// Real input through the system's input queue.
void PressKey(WORD virtual_key);
void MoveMouseTo(int x, int y);
void MoveMouseBy(int dx, int dy);
void ClickButton(DWORD down_flag, DWORD up_flag, DWORD data = 0);

// The pixels of the whole virtual screen as 0x00RRGGBB, row by row; (0, 0) is its top-left
// corner, where a full-screen saver window's client area starts too.
struct Picture {
    int width;
    int height;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture CaptureScreen();
// A part of it, in screen coordinates.
Picture CaptureRect(int left, int top, int width, int height);
// Whether the screen shows 256 colours or fewer, through a palette.
bool PaletteScreen();
// What the screen shows of a colour (0xRRGGBB): itself, or on a screen of 256 colours the
// nearest of the 20 static colours. Under Wine only those show there, whatever palette a program
// realizes (seen drawing a 216-colour cube five ways through one); which of them Wine picks for
// a colour far from all of them may differ.
uint32_t ShownColour(uint32_t colour);
// More than half the pixels black: a saver window that has not painted yet.
bool MostlyBlack(const Picture& shot);

// The screen between two ticks with every pixel that a sign window covers replaced by
// kUnderSign, so that the Backdrop beneath can be checked alone.
const uint32_t kUnderSign = 0xFF000000u;
Picture CaptureScreenWithoutSigns(HWND saver_window);

// A top-level window of the driver's own, of a class registered on first use (a null proc
// gives the default one), shown and painted before it is returned; destroyed when the case ends.
HWND MakeTestWindow(const char* window_class, WNDPROC proc, DWORD style, RECT place);

// A plain window over the whole virtual screen that shows a known picture (in the picture's
// coordinates); the desktop the saver copies in the tests.
HWND ShowTestDesktop(uint32_t (*colour_at)(int x, int y));
uint32_t TestDesktopColour(int x, int y);

// Wine reports Windows 98 to every purl.scr started while this is on, and loads MPR.DLL from
// the program's folder rather than its own.
void ReportWindows98(bool on);

// The primary monitor's size.
int ScreenWidth();
int ScreenHeight();
// The bounding box of all monitors, in screen coordinates (the primary's top-left is 0, 0; a
// monitor left of it or above it has negative ones), and the monitors themselves.
RECT VirtualScreen();
std::vector<RECT> Monitors();
// Whether every pixel of a rectangle (in screen coordinates) lies on some monitor.
bool OnMonitors(const RECT& rect);
// Where a full-screen case parks the pointer: the middle of a monitor at negative coordinates
// when there is one, else of the primary.
POINT ParkingPoint();
void ParkPointer();

// Changes of the monitors' layout while a saver runs, as the script gives them for this layout
// (PURL_DISPLAY_STEPS: xrandr arguments, separated by ';', that end where they began); none on
// a display that cannot change.
std::vector<std::string> DisplaySteps();
// Hands one step to xrandr and waits until this process sees another layout (the driver cannot
// wait for a Unix program to end); false if it did not within the time.
bool ChangeDisplay(const std::string& xrandr_arguments, DWORD timeout_ms);
// Puts back the layout the case began with (PURL_DISPLAY_RESTORE), whatever step it stopped at.
void RestoreDisplay();
// The saver's sign windows, in screen coordinates.
std::vector<RECT> SignRects(HWND saver_window);
// After a change of the layout: sent WM_DISPLAYCHANGE as Windows sends it, the saver's window
// covers the new virtual screen when the message returns, still topmost, every sign stands on
// the monitors, and the saver runs on.
void CheckFollowsDisplay(const Saver& saver, HWND saver_window);
// The helpers of tests/check_setup.sh, when the command line names one (setup_helpers.cpp):
//   --wait-for-page TEXT BUTTON, --without-administrator PROGRAM [ARGUMENT], --hold-image PATH.
bool RunSetupHelper(int argc, char** argv, int* exit_code);
