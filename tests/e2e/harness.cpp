// The end-to-end harness: process control, windows, input and screen capture, and main().
#include "harness.h"
#include "scene/pixel_format.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

std::string g_saver_path;

namespace {
std::vector<TestCase>& AllCases()
{
    static std::vector<TestCase> cases;
    return cases;
}
std::vector<std::string> case_failures;
} // namespace

Registration::Registration(const TestCase* cases, size_t count)
{
    AllCases().insert(AllCases().end(), cases, cases + count);
}

void RecordFailure(const char* file, int line, const std::string& what)
{
    const char* base = strrchr(file, '/');
    case_failures.push_back(std::string(base ? base + 1 : file) + ":" + std::to_string(line) +
                            ": " + what);
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
                        &startup, &saver.process))
        RecordFailure(__FILE__, __LINE__, "CreateProcess failed for " + line);
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
        TerminateProcess(saver.process.hProcess, 0xDEAD);
    WaitForExit(saver, 10000, &code);
}

DWORD RunToExit(const std::string& arguments, DWORD timeout_ms)
{
    return RunProgramToExit(g_saver_path, arguments, timeout_ms);
}

DWORD RunProgramToExit(const std::string& program, const std::string& arguments, DWORD timeout_ms)
{
    Saver saver = StartProgram(program, arguments);
    DWORD code = 0xDEAD;
    if (!WaitForExit(saver, timeout_ms, &code)) {
        RecordFailure(__FILE__, __LINE__, program + " " + arguments + " did not end in time");
        StopSaver(saver);
        return 0xDEAD;
    }
    return code;
}

HWND WaitForWindow(HWND parent, const char* window_class, const char* title, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowExA(parent, nullptr, window_class, title);
        if (window != nullptr)
            return window;
        if (GetTickCount() - start >= timeout_ms)
            return nullptr;
        Pump(50);
    }
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
    input.mi.dx = (x * 65536 + 65535) / ScreenWidth();
    input.mi.dy = (y * 65536 + 65535) / ScreenHeight();
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendOneInput(input);
    Pump(30);
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

namespace {
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

Picture CaptureScreen()
{
    return CaptureRect(0, 0, ScreenWidth(), ScreenHeight());
}

namespace {
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
} // namespace

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
    UpdateWindow(window);
    Pump(300);
    return window;
}

DWORD WaitForEnd(Saver& saver)
{
    DWORD code = 0xDEAD;
    if (!WaitForExit(saver, 15000, &code))
        RecordFailure(__FILE__, __LINE__, "the saver did not end in time");
    StopSaver(saver);
    return code;
}

Picture CaptureScreenWithoutSigns(HWND saver_window)
{
    std::vector<RECT> rects = SignRects(saver_window);
    Picture picture = CaptureScreen();
    const std::vector<RECT> after = SignRects(saver_window);
    rects.insert(rects.end(), after.begin(), after.end());
    for (const RECT& rect : rects) // with a margin for a creep between the readings
        for (long y = std::max(0l, rect.top - 2);
             y < std::min<long>(picture.height, rect.bottom + 2); ++y)
            for (long x = std::max(0l, rect.left - 3);
                 x < std::min<long>(picture.width, rect.right + 3); ++x)
                picture.pixels[static_cast<size_t>(y) * picture.width + x] = kUnderSign;
    return picture;
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
    return MakeTestWindow("PurlTestDesktop", TestDesktopProc, WS_POPUP,
                          {0, 0, ScreenWidth(), ScreenHeight()});
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: purl_e2e PATH-TO-purl.scr [CASE-NAME-PREFIX]\n"
                        "       purl_e2e --saver-running (exit code: the system's flag)\n");
        return 2;
    }
    if (strcmp(argv[1], "--saver-running") == 0) {
        BOOL running = FALSE;
        return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) ? running : -1;
    }
    g_saver_path = argv[1];
    const char* only = argc > 2 ? argv[2] : nullptr;
    int passed = 0;
    int failed = 0;
    for (const TestCase& test : AllCases()) {
        if (only != nullptr && strncmp(test.name, only, strlen(only)) != 0)
            continue;
        case_failures.clear();
        const DWORD start = GetTickCount();
        test.run();
        const DWORD spent = GetTickCount() - start;
        if (case_failures.empty()) {
            ++passed;
            printf("PASS %s (%lu ms)\n", test.name, static_cast<unsigned long>(spent));
        } else {
            ++failed;
            printf("FAIL %s (%lu ms)\n", test.name, static_cast<unsigned long>(spent));
            for (const std::string& failure : case_failures)
                printf("     %s\n", failure.c_str());
        }
        fflush(stdout);
    }
    printf("end to end: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
