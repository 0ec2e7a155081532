// The end-to-end harness: process control and the cases' clean-up, windows, input, screen
// capture, the watchdog and main().
#include "harness.h"
#include "scene/pixel_format.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

std::string g_saver_path;

namespace {
// What the running case started and made, for its clean-up and for the watchdog.
CRITICAL_SECTION started_lock;
std::vector<HANDLE> started_programs;
std::vector<HWND> test_windows;

void EndStartedPrograms()
{
    EnterCriticalSection(&started_lock);
    for (HANDLE process : started_programs) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            TerminateProcess(process, kNoExit);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
    started_programs.clear();
    LeaveCriticalSection(&started_lock);
}

const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\purl.scr";
} // namespace

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

void SaverCase::SetUp()
{
    ReportWindows98(false);
}

void SaverCase::TearDown()
{
    EndStartedPrograms();
    for (HWND window : test_windows)
        if (IsWindow(window))
            DestroyWindow(window);
    test_windows.clear();
    ReportWindows98(false);
    Pump(0);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeout_ms)
            return false;
        Pump(20);
    }
}

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

Saver StartSaver(const std::string& arguments)
{
    return StartProgram(g_saver_path, arguments);
}

Saver StartProgram(const std::string& program, const std::string& arguments)
{
    std::string line = "\"" + program + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    Saver saver = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &saver.process)) {
        ADD_FAILURE() << "CreateProcess failed for " << line;
        return saver;
    }
    HANDLE kept = nullptr;
    DuplicateHandle(GetCurrentProcess(), saver.process.hProcess, GetCurrentProcess(), &kept, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    EnterCriticalSection(&started_lock);
    started_programs.push_back(kept);
    LeaveCriticalSection(&started_lock);
    return saver;
}

bool WaitForExit(Saver& saver, DWORD timeout_ms, DWORD* exit_code)
{
    if (saver.process.hProcess == nullptr)
        return false;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeout_ms)
            return false;
        const DWORD woke = MsgWaitForMultipleObjects(1, &saver.process.hProcess, FALSE,
                                                     timeout_ms - spent, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            GetExitCodeProcess(saver.process.hProcess, exit_code);
            CloseHandle(saver.process.hProcess);
            CloseHandle(saver.process.hThread);
            saver.process = {};
            return true;
        }
        Pump(0);
    }
}

bool IsRunning(const Saver& saver)
{
    return saver.process.hProcess != nullptr &&
           WaitForSingleObject(saver.process.hProcess, 0) == WAIT_TIMEOUT;
}

void StopSaver(Saver& saver)
{
    if (saver.process.hProcess == nullptr)
        return;
    DWORD code;
    if (IsRunning(saver))
        TerminateProcess(saver.process.hProcess, kNoExit);
    WaitForExit(saver, 10000, &code);
}

DWORD WaitForEnd(Saver& saver)
{
    DWORD code = kNoExit;
    if (!WaitForExit(saver, 15000, &code))
        ADD_FAILURE() << "the saver did not end in time";
    StopSaver(saver);
    return code;
}

DWORD RunToExit(const std::string& arguments, DWORD timeout_ms)
{
    return RunProgramToExit(g_saver_path, arguments, timeout_ms);
}

DWORD RunProgramToExit(const std::string& program, const std::string& arguments, DWORD timeout_ms)
{
    Saver saver = StartProgram(program, arguments);
    DWORD code = kNoExit;
    if (!WaitForExit(saver, timeout_ms, &code)) {
        ADD_FAILURE() << program << " " << arguments << " did not end in time";
        StopSaver(saver);
        return kNoExit;
    }
    return code;
}

bool ShownAndPainted(HWND window)
{
    // A sent message is taken only between the window's messages, so once it is answered no
    // paint is half done; then nothing may be left to paint.
    DWORD_PTR answer = 0;
    return IsWindowVisible(window) &&
           SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) &&
           !GetUpdateRect(window, nullptr, FALSE);
}

HWND StartFullScreen(Saver& saver, const std::string& program, const std::string& arguments)
{
    ParkPointer();
    saver = StartProgram(program, arguments);
    HWND window = WaitForWindow(nullptr, kSaverClass, "Screen Saver", 15000);
    // It turns visible once its creation (signs included) is complete; then it paints.
    if (window == nullptr || !WaitUntil([&] { return ShownAndPainted(window); }, 15000))
        return nullptr;
    return window;
}

void EndWithKey(Saver& saver)
{
    ParkPointer();
    PressKey(VK_SPACE);
    EXPECT_EQ(WaitForEnd(saver), 0ul);
}

HWND WaitForWindow(HWND parent, const char* window_class, const char* title, DWORD timeout_ms)
{
    HWND window = nullptr;
    WaitUntil(
        [&] {
            window = FindWindowExA(parent, nullptr, window_class, title);
            return window != nullptr;
        },
        timeout_ms);
    return window;
}

namespace {
struct ClassCount {
    const char* window_class;
    int count;
};

BOOL CALLBACK CountIfClass(HWND window, LPARAM data)
{
    auto* count = reinterpret_cast<ClassCount*>(data);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, count->window_class) == 0)
        ++count->count;
    return TRUE;
}

void SendOneInput(INPUT input)
{
    SendInput(1, &input, sizeof input);
}
} // namespace

int CountTopLevelWindows(const char* window_class)
{
    ClassCount count = {window_class, 0};
    EnumWindows(CountIfClass, reinterpret_cast<LPARAM>(&count));
    return count.count;
}

void PressKey(WORD virtual_key)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, 0));
    SendOneInput(input);
    Pump(30);
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    SendOneInput(input);
    Pump(30);
}

void MoveMouseTo(int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    const RECT box = VirtualScreen();
    input.mi.dx = ((x - box.left) * 65536 + 65535) / (box.right - box.left);
    input.mi.dy = ((y - box.top) * 65536 + 65535) / (box.bottom - box.top);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendOneInput(input);
    // The pointer stands there once the system has taken the move, and once the X server has
    // too: Wine answers GetCursorPos from its own record for 100 ms after a change, and after
    // that asks the X server, which takes the warp a moment later.
    const auto there = [&] {
        POINT now;
        return GetCursorPos(&now) && now.x == x && now.y == y;
    };
    WaitUntil(there, 1000);
    Pump(110);
    WaitUntil(there, 1000);
}

void MoveMouseBy(int dx, int dy)
{
    POINT now;
    GetCursorPos(&now);
    MoveMouseTo(now.x + dx, now.y + dy);
}

void ClickButton(DWORD down_flag, DWORD up_flag, DWORD data)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down_flag;
    input.mi.mouseData = data;
    SendOneInput(input);
    Pump(30);
    input.mi.dwFlags = up_flag;
    SendOneInput(input);
    Pump(30);
}

std::string DriverFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string Decimal(HWND window)
{
    return std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
}

int ScreenWidth()
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int ScreenHeight()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

RECT VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {
BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT place, LPARAM data)
{
    reinterpret_cast<std::vector<RECT>*>(data)->push_back(*place);
    return TRUE;
}
} // namespace

std::vector<RECT> Monitors()
{
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

bool OnMonitors(const RECT& rect)
{
    // Every pixel of the edges and a grid inside: the monitors leave no holes in these layouts.
    const std::vector<RECT> monitors = Monitors();
    auto shown = [&](long x, long y) {
        const POINT at = {x, y};
        for (const RECT& m : monitors)
            if (PtInRect(&m, at))
                return true;
        return false;
    };
    for (long x = rect.left; x < rect.right; ++x)
        if (!shown(x, rect.top) || !shown(x, rect.bottom - 1))
            return false;
    for (long y = rect.top; y < rect.bottom; ++y)
        if (!shown(rect.left, y) || !shown(rect.right - 1, y))
            return false;
    for (long y = rect.top; y < rect.bottom; y += 8)
        for (long x = rect.left; x < rect.right; x += 8)
            if (!shown(x, y))
                return false;
    return true;
}

POINT ParkingPoint()
{
    RECT chosen = {0, 0, ScreenWidth(), ScreenHeight()};
    for (const RECT& m : Monitors())
        if (m.left < 0 || m.top < 0)
            chosen = m;
    return {(chosen.left + chosen.right) / 2, (chosen.top + chosen.bottom) / 2};
}

void ParkPointer()
{
    const POINT at = ParkingPoint();
    MoveMouseTo(at.x, at.y);
}

Picture CaptureRect(int left, int top, int width, int height)
{
    Picture picture = {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = TopDownPixels(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = source[i] & 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

namespace {
uint32_t (*desktop_colour)(int, int) = nullptr;

LRESULT CALLBACK TestDesktopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        const int width = client.right;
        const int height = client.bottom;
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] = desktop_colour(x, y);
        const BITMAPINFO info = TopDownPixels(width, height);
        SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info,
                          DIB_RGB_COLORS);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(window, message, wparam, lparam);
}
} // namespace

std::vector<RECT> SignRects(HWND saver_window)
{
    std::vector<RECT> rects;
    for (HWND sign = FindWindowExA(saver_window, nullptr, "purlwindow", nullptr); sign != nullptr;
         sign = FindWindowExA(saver_window, sign, "purlwindow", nullptr)) {
        RECT rect;
        GetWindowRect(sign, &rect);
        rects.push_back(rect);
    }
    return rects;
}

namespace {
bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const RECT& x, const RECT& y) { return EqualRect(&x, &y) != 0; });
}
} // namespace

Picture CaptureScreen()
{
    const RECT box = VirtualScreen();
    return CaptureRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
}

bool MostlyBlack(const Picture& shot)
{
    return std::count(shot.pixels.begin(), shot.pixels.end(), 0u) * 2 >
           static_cast<std::ptrdiff_t>(shot.pixels.size());
}

HWND MakeTestWindow(const char* window_class, WNDPROC proc, DWORD style, RECT place)
{
    static std::set<std::string> registered;
    if (registered.insert(window_class).second) {
        WNDCLASSA record = {};
        record.lpfnWndProc = proc != nullptr ? proc : DefWindowProcA;
        record.hInstance = GetModuleHandleA(nullptr);
        record.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        record.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        record.lpszClassName = window_class;
        RegisterClassA(&record);
    }
    const DWORD ex_style = style & WS_CAPTION ? 0 : WS_EX_TOOLWINDOW;
    HWND window =
        CreateWindowExA(ex_style, window_class, "test window", style | WS_VISIBLE, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, nullptr,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    test_windows.push_back(window);
    UpdateWindow(window);
    // On the screen once the display has it where it was put.
    WaitUntil(
        [&] {
            RECT now;
            return GetWindowRect(window, &now) && EqualRect(&now, &place) &&
                   ShownAndPainted(window);
        },
        2000);
    Pump(100);
    return window;
}

Picture CaptureScreenWithoutSigns(HWND saver_window)
{
    // A tick moves every sign (a creep or a jump), then draws: for that moment a sign's window
    // stands where its picture is not yet. So the shot is taken once the signs have stood still
    // for 100 ms, and kept if none moved during it (a tick comes every 500 ms). Should that never
    // happen, the last shot is used with the places before and after it masked.
    std::vector<RECT> rects, after;
    Picture picture;
    for (int attempt = 0; attempt < 10; ++attempt) {
        rects = SignRects(saver_window);
        Pump(100);
        const bool still = SameRects(rects, SignRects(saver_window));
        picture = CaptureScreen();
        after = SignRects(saver_window);
        if (still && SameRects(rects, after))
            break;
    }
    rects.insert(rects.end(), after.begin(), after.end());
    const RECT box = VirtualScreen();
    for (RECT& rect : rects) // in the picture's coordinates, with a margin for a creep
        OffsetRect(&rect, -box.left, -box.top);
    for (const RECT& rect : rects)
        for (long y = std::max(0l, rect.top - 2);
             y < std::min<long>(picture.height, rect.bottom + 2); ++y)
            for (long x = std::max(0l, rect.left - 3);
                 x < std::min<long>(picture.width, rect.right + 3); ++x)
                picture.pixels[static_cast<size_t>(y) * picture.width + x] = kUnderSign;
    return picture;
}

bool PaletteScreen()
{
    static const bool palette = [] {
        HDC screen = GetDC(nullptr);
        const bool has = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
        ReleaseDC(nullptr, screen);
        return has;
    }();
    return palette;
}

uint32_t ShownColour(uint32_t colour)
{
    if (!PaletteScreen())
        return colour;
    auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    PALETTEENTRY entry = {};
    GetPaletteEntries(
        stock, GetNearestPaletteIndex(stock, RGB(colour >> 16, colour >> 8 & 255, colour & 255)), 1,
        &entry);
    return static_cast<uint32_t>(entry.peRed) << 16 | entry.peGreen << 8 | entry.peBlue;
}

uint32_t TestDesktopColour(int x, int y)
{
    // Smooth ramps with a checker on top: every place has its own bright colour.
    const uint32_t red = 60 + (x * 190) / 1024 % 190;
    const uint32_t green = 60 + (y * 190) / 768 % 190;
    const uint32_t blue = ((x / 32 + y / 32) % 2) ? 230 : 90;
    return red << 16 | green << 8 | blue;
}

HWND ShowTestDesktop(uint32_t (*colour_at)(int x, int y))
{
    desktop_colour = colour_at;
    HWND desktop = MakeTestWindow("PurlTestDesktop", TestDesktopProc, WS_POPUP, VirtualScreen());
    // The screen shows it once a capture gives its picture.
    WaitUntil(
        [&] {
            const Picture shot = CaptureScreen();
            return shot.At(7, 7) == colour_at(7, 7) &&
                   shot.At(shot.width - 7, shot.height - 7) ==
                       colour_at(shot.width - 7, shot.height - 7);
        },
        5000);
    return desktop;
}

namespace {
// Each case has a time limit. When it runs out, the case's programs are ended and the driver
// ends failed; under CTest each case is a run of its own, so the next one goes on.
const DWORD kCaseLimitMs = 100000;
volatile LONG case_started_at = 0; // GetTickCount() at the case's start, 0 between cases
std::string running_case;

DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        Sleep(500);
        const DWORD started = static_cast<DWORD>(case_started_at);
        if (started != 0 && GetTickCount() - started > kCaseLimitMs) {
            fprintf(stdout, "FAIL %s: over its time limit of %lu s; its programs are ended\n",
                    running_case.c_str(), kCaseLimitMs / 1000);
            fflush(stdout);
            EndStartedPrograms();
            ReportWindows98(false);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

class WatchdogArming : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override
    {
        running_case = std::string(test.test_suite_name()) + "." + test.name();
        case_started_at = static_cast<LONG>(GetTickCount() | 1);
    }
    void OnTestEnd(const testing::TestInfo&) override { case_started_at = 0; }
};
} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc == 2 && strcmp(argv[1], "--saver-running") == 0) {
        BOOL running = FALSE;
        return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) ? running : -1;
    }
    if (argc == 2 && strcmp(argv[1], "--monitor-count") == 0)
        return static_cast<int>(Monitors().size());
    int helper_code = 0;
    if (RunSetupHelper(argc, argv, &helper_code))
        return helper_code;
    if (argc != 2) {
        fprintf(stderr, "usage: purl_e2e [GOOGLETEST FLAGS] PATH-TO-purl.scr\n"
                        "       purl_e2e --saver-running (exit code: the system's flag)\n"
                        "       purl_e2e --monitor-count (exit code: the monitors Wine shows)\n"
                        "       purl_e2e --wait-for-page TEXT BUTTON | --without-administrator "
                        "PROGRAM [ARGUMENT] | --hold-image PATH (tests/check_setup.sh)\n");
        return 2;
    }
    g_saver_path = argv[1];
    std::replace(g_saver_path.begin(), g_saver_path.end(), '/', '\\');
    InitializeCriticalSection(&started_lock);
    testing::UnitTest::GetInstance()->listeners().Append(new WatchdogArming);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    return RUN_ALL_TESTS();
}

namespace {
std::string Environment(const char* name)
{
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

// The layout as this process sees it.
std::vector<RECT> Layout()
{
    std::vector<RECT> layout = Monitors();
    layout.push_back(VirtualScreen());
    return layout;
}

bool SameLayout(const std::vector<RECT>& a, const std::vector<RECT>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!EqualRect(&a[i], &b[i]))
            return false;
    return true;
}

// Starts xrandr through the shell; Wine starts a Unix program but gives no handle to wait on.
void RunXrandr(const std::string& arguments)
{
    std::string command = "Z:\\bin\\sh -c \"xrandr " + arguments + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

std::vector<RECT> first_layout; // before the first change, until it is put back
} // namespace

std::vector<std::string> DisplaySteps()
{
    std::vector<std::string> steps;
    const std::string all = Environment("PURL_DISPLAY_STEPS");
    for (size_t start = 0; start < all.size();) {
        const size_t end = std::min(all.find(';', start), all.size());
        steps.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return steps;
}

bool ChangeDisplay(const std::string& xrandr_arguments, DWORD timeout_ms)
{
    const std::vector<RECT> before = Layout();
    if (first_layout.empty())
        first_layout = before;
    RunXrandr(xrandr_arguments);
    return WaitUntil([&] { return !SameLayout(Layout(), before); }, timeout_ms);
}

void RestoreDisplay()
{
    const std::string restore = Environment("PURL_DISPLAY_RESTORE");
    if (!first_layout.empty() && !SameLayout(Layout(), first_layout) && !restore.empty()) {
        RunXrandr(restore);
        EXPECT_TRUE(WaitUntil([] { return SameLayout(Layout(), first_layout); }, 10000))
            << "the first layout did not come back";
    }
    first_layout.clear();
}

void CheckFollowsDisplay(const Saver& saver, HWND saver_window)
{
    const RECT box = VirtualScreen();
    RECT place = {};
    // Windows sends WM_DISPLAYCHANGE once the new mode is set (Wine does not): the saver follows
    // in the message, so it covers the new box when the message returns.
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(saver_window, WM_DISPLAYCHANGE, depth,
                                  MAKELPARAM(ScreenWidth(), ScreenHeight()), SMTO_ABORTIFHUNG, 5000,
                                  &answer),
              0)
        << "the saver did not answer WM_DISPLAYCHANGE";
    GetWindowRect(saver_window, &place);
    EXPECT_TRUE(EqualRect(&place, &box))
        << "after WM_DISPLAYCHANGE the window stands at " << place.left << "," << place.top << "-"
        << place.right << "," << place.bottom << ", not over " << box.left << "," << box.top << "-"
        << box.right << "," << box.bottom;
    // Every monitor shows the saver, not what lies beneath it.
    for (const RECT& m : Monitors()) {
        const POINT middle = {(m.left + m.right) / 2, (m.top + m.bottom) / 2};
        const HWND seen = WindowFromPoint(middle);
        EXPECT_TRUE(seen == saver_window || GetParent(seen) == saver_window)
            << "the monitor at " << m.left << "," << m.top << " shows another window";
    }
    // Whole on a monitor, but for the creep of a pixel a tick since the change; the signs move
    // just after the window.
    RECT astray = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (RECT sign : SignRects(saver_window)) {
                RECT crept = sign;
                OffsetRect(&crept, -4, 0);
                if (!OnMonitors(sign) && !OnMonitors(crept)) {
                    astray = sign;
                    return false;
                }
            }
            return true;
        },
        3000))
        << "a sign at " << astray.left << "," << astray.top << "-" << astray.right << ","
        << astray.bottom;
    EXPECT_TRUE(IsRunning(saver));
}
