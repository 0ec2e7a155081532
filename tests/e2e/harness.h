// A small end-to-end harness run under Wine: starts purl.scr the way the screen-saver host
// does, finds its windows, drives real input and reads back exit codes and pixels.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

// Checks inside a case; a failed check marks the case failed and says where.
void RecordFailure(const char* file, int line, const std::string& what);
#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond))                                                                               \
            RecordFailure(__FILE__, __LINE__, #cond);                                              \
    } while (0)
#define CHECK_EQ(a, b)                                                                             \
    do {                                                                                           \
        const auto check_a_ = (a);                                                                 \
        const auto check_b_ = (b);                                                                 \
        if (!(check_a_ == check_b_))                                                               \
            RecordFailure(__FILE__, __LINE__,                                                      \
                          std::string(#a " == " #b ": ") + std::to_string(check_a_) + " vs " +     \
                              std::to_string(check_b_));                                           \
    } while (0)

struct TestCase {
    const char* name;
    void (*run)();
};
// Each case file registers its cases with a static Registration.
struct Registration {
    Registration(const TestCase* cases, size_t count);
};

extern std::string g_saver_path; // purl.scr, as a Windows path

const char kSaverClass[] = "WindowsScreenSaverClass";

struct Saver {
    PROCESS_INFORMATION process;
};

// Starts purl.scr with the given arguments (appended after the quoted program name).
Saver StartSaver(const std::string& arguments);
Saver StartProgram(const std::string& program, const std::string& arguments);
// Waits while pumping this thread's messages; true and the exit code once it ended.
bool WaitForExit(Saver& saver, DWORD timeout_ms, DWORD* exit_code);
bool IsRunning(const Saver& saver);
// Ends a saver that is still running (for clean-up after a failed case).
void StopSaver(Saver& saver);
// Runs start + wait, returning the exit code (or 0xDEAD when it did not end in time).
DWORD RunToExit(const std::string& arguments, DWORD timeout_ms);
DWORD RunProgramToExit(const std::string& program, const std::string& arguments, DWORD timeout_ms);

// The folder of the driver itself (the stand-in libraries are built beside it), with a "\\".
std::string DriverFolder();
std::string Decimal(HWND window);

void Pump(DWORD ms);
HWND WaitForWindow(HWND parent, const char* window_class, const char* title, DWORD timeout_ms);
int CountTopLevelWindows(const char* window_class);

// Real input through the system's input queue.
void PressKey(WORD virtual_key);
void MoveMouseTo(int x, int y);
void MoveMouseBy(int dx, int dy);
void ClickButton(DWORD down_flag, DWORD up_flag, DWORD data = 0);

// The screen's pixels as 0x00RRGGBB, row by row.
struct Picture {
    int width;
    int height;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture CaptureScreen();

// The screen with every pixel that a sign window covers (now, or just before) replaced by
// kUnderSign, so that the Backdrop beneath can be checked alone.
const uint32_t kUnderSign = 0xFF000000u;
Picture CaptureScreenWithoutSigns(HWND saver_window);

// A top-level window of the driver's own, of a class registered on first use (a null proc
// gives the default one), shown and painted before it is returned.
HWND MakeTestWindow(const char* window_class, WNDPROC proc, DWORD style, RECT place);

// Waits for a saver to end (15 s at most; one still running is ended) and gives its exit code,
// 0xDEAD when it had to be ended.
DWORD WaitForEnd(Saver& saver);

// A plain window that shows a known picture; the desktop the saver copies in the tests.
HWND ShowTestDesktop(uint32_t (*colour_at)(int x, int y));
uint32_t TestDesktopColour(int x, int y);

int ScreenWidth();
int ScreenHeight();
