// End-to-end cases of the sign pictures: purl.scr's own resources (of the build under test), the
// shapes that LoadSignImage builds from them against the plain per-pixel subtraction, and the
// scene's message when a picture is missing.
#include "harness.h"
#include "purl_version.h"
#include "scene/sign_image.h"
#include "tools/shape_by_pixels.h"
#include <cstring>
#include <utility>

namespace {
using images = SaverCase;

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// The version resource carries the project's version as numbers and as its two texts.
void CheckVersion(HMODULE program, const std::string& path)
{
    HRSRC found = FindResourceExA(program, RT_VERSION, MAKEINTRESOURCEA(1), kJapanese);
    if (found == nullptr)
        return; // reported with the other resources
    const char* data = static_cast<const char*>(LockResource(LoadResource(program, found)));
    const std::string block(data, SizeofResource(program, found));
    const DWORD signature = 0xFEEF04BD;
    const size_t at = block.find(std::string(reinterpret_cast<const char*>(&signature), 4));
    if (at == std::string::npos || at + sizeof(VS_FIXEDFILEINFO) > block.size()) {
        ADD_FAILURE() << (path + ": no fixed version information");
        return;
    }
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, block.data() + at, sizeof fixed);
    const DWORD high = MAKELONG(PURL_VERSION_MINOR, PURL_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, PURL_VERSION_PATCH);
    EXPECT_EQ(fixed.dwFileVersionMS, high);
    EXPECT_EQ(fixed.dwFileVersionLS, low);
    EXPECT_EQ(fixed.dwProductVersionMS, high);
    EXPECT_EQ(fixed.dwProductVersionLS, low);
    std::string text; // PURL_VERSION_TEXT as the resource holds it, in UTF-16
    for (const char c : std::string(PURL_VERSION_TEXT))
        text += std::string{c, '\0'};
    size_t texts = 0;
    for (size_t from = block.find(text); from != std::string::npos;
         from = block.find(text, from + 1))
        ++texts;
    EXPECT_EQ(texts, 2u);
}

TEST_F(images, resources)
{
    {
        const std::string& path = g_saver_path;
        HMODULE program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr) << "cannot open " << path;
        struct Wanted {
            LPCSTR type;
            int id;
        } wanted[] = {{RT_BITMAP, 131},     {RT_BITMAP, 132},     {RT_BITMAP, 133},
                      {RT_GROUP_ICON, 107}, {RT_GROUP_ICON, 108}, {RT_DIALOG, 2003},
                      {RT_STRING, 1},       {RT_VERSION, 1},      {RT_MANIFEST, 1}};
        for (const Wanted& w : wanted)
            if (FindResourceExA(program, w.type, MAKEINTRESOURCEA(w.id), kJapanese) == nullptr)
                ADD_FAILURE() << (path + ": no resource " + std::to_string(w.id));
        char name[16] = {};
        LoadStringA(program, 1, name, sizeof name);
        EXPECT_TRUE(strcmp(name, "purl") == 0);
        CheckVersion(program, path);

        HRSRC found = FindResourceExA(program, RT_MANIFEST, MAKEINTRESOURCEA(1), kJapanese);
        if (found != nullptr) {
            const char* text = static_cast<const char*>(LockResource(LoadResource(program, found)));
            const std::string manifest(text, SizeofResource(program, found));
            EXPECT_TRUE(manifest.find("PerMonitorV2") != std::string::npos);
            EXPECT_TRUE(manifest.find("true/pm") != std::string::npos);
            EXPECT_TRUE(manifest.find("<supportedOS") == std::string::npos);
            // The same version as the version resource and the package name.
            EXPECT_NE(manifest.find("version=\"" PURL_VERSION_TEXT "\""), std::string::npos);
        }
        FreeLibrary(program);
    }
}

TEST_F(images, shapes)
{
    // As an image, so that the bitmaps convert as they do inside the running saver.
    HMODULE program = LoadLibraryExA(g_saver_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const int sizes[3][2] = {{320, 120}, {240, 90}, {160, 60}};
    HDC screen = GetDC(nullptr);
    for (int id = 131; id <= 133; ++id) {
        EXPECT_EQ(LoadSignImage(program, id), 1);
        const SignImage& image = sign_images[id - 131];
        EXPECT_TRUE(image.bitmap != nullptr && image.dc != nullptr && image.shape != nullptr);
        BITMAP size = {};
        GetObjectA(image.bitmap, sizeof size, &size);
        EXPECT_EQ(size.bmWidth, static_cast<LONG>(sizes[id - 131][0]));
        EXPECT_EQ(size.bmHeight, static_cast<LONG>(sizes[id - 131][1]));

        HDC dc = CreateCompatibleDC(screen);
        HBITMAP copy = LoadBitmapA(program, MAKEINTRESOURCEA(id));
        HGDIOBJ previous = SelectObject(dc, copy);
        HRGN plain = ShapeByPixelSubtraction(dc, size.bmWidth, size.bmHeight);
        if (!EqualRgn(plain, image.shape))
            ADD_FAILURE() << ("shape " + std::to_string(id) + " differs");
        // The shape holds the grey bodies and leaves the black ground out.
        RECT box;
        GetRgnBox(image.shape, &box);
        EXPECT_TRUE(box.right - box.left < size.bmWidth && box.bottom - box.top < size.bmHeight);
        SelectObject(dc, previous);
        DeleteObject(copy);
        DeleteObject(plain);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    FreeLibrary(program);
    // A module without the pictures (the driver itself): 0, and nothing is made for it.
    sign_images[1] = {};
    EXPECT_EQ(LoadSignImage(GetModuleHandleA(nullptr), 132), 0);
    EXPECT_TRUE(sign_images[1].bitmap == nullptr && sign_images[1].dc == nullptr &&
                sign_images[1].shape == nullptr);
}

// A copy of purl.scr whose picture 132 cannot be loaded: the scene says "create bitmap/rgn failed"
// once, makes no signs and starts no ticks, and the saver still shows the desktop and ends
// normally.
TEST_F(images, missing_picture)
{
    const std::string copy = DriverFolder() + "purl_broken_132.scr";
    EXPECT_TRUE(CopyFileA(g_saver_path.c_str(), copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    EXPECT_TRUE(update != nullptr);
    // Wine's resource updater does not delete; a picture of four bytes cannot be loaded either.
    char broken[4] = {0, 0, 0, 0};
    EXPECT_TRUE(UpdateResourceA(update, RT_BITMAP, MAKEINTRESOURCEA(132), kJapanese, broken, 4));
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));

    ShowTestDesktop(TestDesktopColour);
    ParkPointer();
    Saver saver = StartProgram(copy, "/s");
    HWND box = WaitForWindow(nullptr, "#32770", "purlscrn", 15000);
    ASSERT_NE(box, nullptr);
    HWND window = FindWindowA(kSaverClass, "Screen Saver");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), window);
    char text[64] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, "create bitmap/rgn failed");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Wine takes a moment to take a window down; then the saver window shows and paints.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return ShownAndPainted(window); }, 10000));
    EXPECT_TRUE(IsRunning(saver));
    EXPECT_EQ(FindWindowA(nullptr, "purlscrn"), nullptr); // shown once
    EXPECT_EQ(FindWindowExA(window, nullptr, "purlwindow", nullptr), nullptr);
    // No ticks: the picture does not melt. Wine shows the window's picture a moment after it
    // is painted; it is on the screen once the screen has stopped changing.
    Picture first = CaptureScreen();
    DWORD settled_since = GetTickCount();
    EXPECT_TRUE(WaitUntil(
        [&] {
            Picture now = CaptureScreen();
            if (now.pixels != first.pixels) {
                first = std::move(now);
                settled_since = GetTickCount();
            }
            return GetTickCount() - settled_since >= 500;
        },
        10000));
    Pump(2000); // four ticks' time
    const Picture later = CaptureScreen();
    int changed = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i)
        changed += first.pixels[i] != later.pixels[i];
    EXPECT_LT(changed, 3 * first.width); // at most the strips a repaint's tremble uncovers
    EndWithKey(saver);
}

} // namespace
