// End-to-end cases of the configuration dialog: the template compiled into purl.scr, read back
// field by field; where the dialog opens; its owner for each command line; how it ends.
#include "harness.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace {
using config = SaverCase;

const wchar_t kDots[] = L"purl\x30FB\x30FB\x30FB";
const wchar_t kDoubleDots[] = L"purlpurl\x30FB\x30FB\x30FB";

// Reads a standard dialog template: fixed fields, then strings and items, DWORD-aligned items.
struct TemplateReader {
    const BYTE* start;
    const BYTE* p;
    WORD Word()
    {
        WORD value;
        memcpy(&value, p, 2);
        p += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD value;
        memcpy(&value, p, 4);
        p += 4;
        return value;
    }
    std::wstring Text()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    // A name: 0 (none), 0xFFFF followed by an ordinal, or a string.
    std::wstring Name()
    {
        WORD first;
        memcpy(&first, p, 2);
        if (first == 0) {
            p += 2;
            return L"";
        }
        if (first == 0xFFFF) {
            p += 2;
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    void AlignDword()
    {
        while ((p - start) % 4)
            ++p;
    }
};

struct ItemRow {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    const wchar_t* window_class; // "#128" BUTTON, "#130" STATIC
    const wchar_t* text;
};

TEST_F(config, template)
{
    HMODULE program = LoadLibraryExA(g_saver_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceExA(program, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(2003),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(found, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
    TemplateReader reader = {data, data};
    EXPECT_EQ(reader.Dword(), 0x80C800C0ul); // style
    EXPECT_EQ(reader.Dword(), 0ul);          // extended style
    EXPECT_EQ(reader.Word(), 7);             // controls
    EXPECT_EQ(static_cast<short>(reader.Word()), 0);
    EXPECT_EQ(static_cast<short>(reader.Word()), 0);
    EXPECT_EQ(reader.Word(), 149);
    EXPECT_EQ(reader.Word(), 59);
    EXPECT_TRUE(reader.Name() == L"");   // menu
    EXPECT_TRUE(reader.Name() == L"");   // class: the standard dialog class
    EXPECT_TRUE(reader.Text() == kDots); // caption
    EXPECT_EQ(reader.Word(), 9);         // points
    EXPECT_TRUE(reader.Text() == L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");

    const ItemRow items[] = {
        {0x50010001, 110, 40, 30, 14, 1, L"#128", kDots},
        {0x40010000, 0, 25, 20, 14, 2, L"#128", L"OK"},
        {0x50020000, 5, 5, 38, 8, 0xFFFF, L"#130", kDoubleDots},
        {0x50020000, 45, 15, 24, 8, 0xFFFF, L"#130", kDots},
        {0x50020000, 95, 10, 38, 8, 0xFFFF, L"#130", kDoubleDots},
        {0x50020000, 20, 40, 24, 8, 0xFFFF, L"#130", kDots},
        {0x50020000, 75, 35, 24, 8, 0xFFFF, L"#130", kDots},
    };
    for (const ItemRow& item : items) {
        reader.AlignDword();
        EXPECT_EQ(reader.Dword(), item.style);
        EXPECT_EQ(reader.Dword(), 0ul);
        EXPECT_EQ(static_cast<short>(reader.Word()), item.x);
        EXPECT_EQ(static_cast<short>(reader.Word()), item.y);
        EXPECT_EQ(static_cast<short>(reader.Word()), item.cx);
        EXPECT_EQ(static_cast<short>(reader.Word()), item.cy);
        EXPECT_EQ(reader.Word(), item.id);
        EXPECT_TRUE(reader.Name() == item.window_class);
        EXPECT_TRUE(reader.Name() == item.text);
        EXPECT_EQ(reader.Word(), 0); // no creation data
    }
    EXPECT_EQ(static_cast<size_t>(reader.p - data),
              static_cast<size_t>(SizeofResource(program, found)));
    FreeLibrary(program);
}

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM data)
{
    auto* found = reinterpret_cast<Found*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process == found->process && strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// The saver's dialog once it is shown and has its focus (it then takes keys).
HWND WaitForDialog(const Saver& saver)
{
    Found found = {saver.process.dwProcessId, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&found));
            return found.window != nullptr && GetForegroundWindow() == found.window;
        },
        15000);
    return found.window;
}

void BringToFront(HWND window)
{
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 3000));
}

HWND MakeOwnerWindow()
{
    HWND window = MakeTestWindow("PurlTestOwner", nullptr, WS_OVERLAPPEDWINDOW, {20, 20, 320, 220});
    BringToFront(window);
    return window;
}

TEST_F(config, opens_centred)
{
    Saver saver = StartSaver("/c");
    HWND dialog = WaitForDialog(saver);
    ASSERT_NE(dialog, nullptr);
    // Wine shows an ANSI dialog's texts through the ANSI code page: outside a Japanese
    // locale each U+30FB reads back as U+00B7. The template's own bytes are checked above.
    wchar_t caption[32] = {};
    GetWindowTextW(dialog, caption, 32);
    EXPECT_TRUE(wcsncmp(caption, L"purl", 4) == 0 && wcslen(caption) == 7);
    for (int i = 4; i < 7; ++i)
        EXPECT_TRUE(caption[i] == 0x30FB || caption[i] == 0x00B7);

    RECT outer, work;
    GetWindowRect(dialog, &outer);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const long x = std::max(0l, ((work.right - work.left) - (outer.right - outer.left)) / 2);
    const long y = std::max(0l, ((work.bottom - work.top) - (outer.bottom - outer.top)) / 2);
    EXPECT_EQ(outer.left, x);
    EXPECT_EQ(outer.top, y);

    // The hidden "OK" button (id 2) is not visible; the default button (id 1) is.
    EXPECT_TRUE(!IsWindowVisible(GetDlgItem(dialog, 2)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, 1)));
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_NE(WaitForEnd(saver), kNoExit);
}

// How each way of ending the dialog sets the exit code.
TEST_F(config, endings)
{
    struct Ending {
        const char* name;
        void (*end)(HWND dialog);
        DWORD code;
    } endings[] = {
        {"Enter", [](HWND) { PressKey(VK_RETURN); }, 1},
        {"Escape", [](HWND) { PressKey(VK_ESCAPE); }, 2},
        {"the visible button",
         [](HWND dialog) {
             RECT button;
             GetWindowRect(GetDlgItem(dialog, 1), &button);
             MoveMouseTo((button.left + button.right) / 2, (button.top + button.bottom) / 2);
             ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
         },
         1},
        // The close box sends SC_CLOSE. (Under Wine without a window manager a real click on
        // the caption's close box does nothing, so the command is posted as the box would.)
        {"the close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2},
        {"command 1 with a notification code",
         [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, 0x1234), 0); }, 1},
        {"command 2 with a notification code",
         [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(2, 0xFFFF), 0); }, 2},
    };
    for (const Ending& ending : endings) {
        Saver saver = StartSaver("");
        HWND dialog = WaitForDialog(saver);
        ASSERT_NE(dialog, nullptr) << ending.name;
        // Another command leaves it open.
        EXPECT_TRUE(SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(3, 0), 0, SMTO_NORMAL, 5000,
                                        nullptr));
        Pump(200); // an ending would take the window down by then
        EXPECT_TRUE(IsWindow(dialog));
        MoveMouseTo(5, 5);
        ending.end(dialog);
        EXPECT_EQ(WaitForEnd(saver), ending.code) << ending.name;
    }
}

TEST_F(config, owner)
{
    HWND named = MakeOwnerWindow();
    HWND front = MakeOwnerWindow(); // in front: the owner when no live window is named
    struct Case {
        std::string arguments;
        HWND owner;
    } cases[] = {
        {"/c:" + Decimal(named), named},
        {"/c " + Decimal(named), front},
        {"/c:0", front},
        {"/c:99999", front},
        {"-C", front},
    };
    for (const Case& c : cases) {
        BringToFront(front);
        Saver saver = StartSaver(c.arguments);
        HWND dialog = WaitForDialog(saver);
        ASSERT_NE(dialog, nullptr) << c.arguments;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), c.owner) << c.arguments;
        EXPECT_FALSE(IsWindowEnabled(c.owner)) << c.arguments; // a modal dialog disables it
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(WaitForEnd(saver), 2ul);
    }
    DestroyWindow(named);

    // A bare command line gives an unowned dialog, whatever window is in front.
    BringToFront(front);
    Saver saver = StartSaver("");
    HWND dialog = WaitForDialog(saver);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForEnd(saver), 1ul);
}
} // namespace
