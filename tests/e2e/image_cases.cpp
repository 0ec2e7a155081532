// End-to-end cases of the sign pictures: purl.scr's own resources (both builds), the shapes
// that LoadSpriteImage builds from them against the plain per-pixel subtraction, and the
// scene's message when a picture is missing.
#include "harness.h"
#include "purl_version.h"
#include "scene/sprite_image.h"
#include "tools/shape_by_pixels.h"
#include <cstring>

namespace {
std::string I686Path()
{
    std::string path = g_saver_path;
    const size_t at = path.find("x86_64");
    return at == std::string::npos ? "" : path.replace(at, 6, "i686");
}

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
        RecordFailure(__FILE__, __LINE__, path + ": no fixed version information");
        return;
    }
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, block.data() + at, sizeof fixed);
    const DWORD high = MAKELONG(PURL_VERSION_MINOR, PURL_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, PURL_VERSION_PATCH);
    CHECK_EQ(fixed.dwFileVersionMS, high);
    CHECK_EQ(fixed.dwFileVersionLS, low);
    CHECK_EQ(fixed.dwProductVersionMS, high);
    CHECK_EQ(fixed.dwProductVersionLS, low);
    std::string text; // PURL_VERSION_TEXT as the resource holds it, in UTF-16
    for (const char c : std::string(PURL_VERSION_TEXT))
        text += std::string{c, '\0'};
    size_t texts = 0;
    for (size_t from = block.find(text); from != std::string::npos;
         from = block.find(text, from + 1))
        ++texts;
    CHECK_EQ(texts, 2u);
}

void BothBuildsCarryTheResources()
{
    for (const std::string& path : {g_saver_path, I686Path()}) {
        HMODULE program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (program == nullptr) {
            RecordFailure(__FILE__, __LINE__, "cannot open " + path);
            continue;
        }
        struct Wanted {
            LPCSTR type;
            int id;
        } wanted[] = {{RT_BITMAP, 131},     {RT_BITMAP, 132},     {RT_BITMAP, 133},
                      {RT_GROUP_ICON, 107}, {RT_GROUP_ICON, 108}, {RT_DIALOG, 2003},
                      {RT_STRING, 1},       {RT_VERSION, 1},      {RT_MANIFEST, 1}};
        for (const Wanted& w : wanted)
            if (FindResourceExA(program, w.type, MAKEINTRESOURCEA(w.id), kJapanese) == nullptr)
                RecordFailure(__FILE__, __LINE__, path + ": no resource " + std::to_string(w.id));
        char name[16] = {};
        LoadStringA(program, 1, name, sizeof name);
        CHECK(strcmp(name, "purl") == 0);
        CheckVersion(program, path);

        HRSRC found = FindResourceExA(program, RT_MANIFEST, MAKEINTRESOURCEA(1), kJapanese);
        if (found != nullptr) {
            const char* text = static_cast<const char*>(LockResource(LoadResource(program, found)));
            const std::string manifest(text, SizeofResource(program, found));
            CHECK(manifest.find("PerMonitorV2") != std::string::npos);
            CHECK(manifest.find("true/pm") != std::string::npos);
            CHECK(manifest.find("<supportedOS") == std::string::npos);
        }
        FreeLibrary(program);
    }
}

void ShapesEqualThePerPixelSubtraction()
{
    // As an image, so that the bitmaps convert as they do inside the running saver.
    HMODULE program = LoadLibraryExA(g_saver_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    CHECK(program != nullptr);
    if (program == nullptr)
        return;
    const int sizes[3][2] = {{320, 120}, {240, 90}, {160, 60}};
    HDC screen = GetDC(nullptr);
    for (int id = 131; id <= 133; ++id) {
        CHECK_EQ(LoadSpriteImage(program, id), 1);
        const SpriteImage& image = sprite_images[id - 131];
        CHECK(image.bitmap != nullptr && image.dc != nullptr && image.shape != nullptr);
        BITMAP size = {};
        GetObjectA(image.bitmap, sizeof size, &size);
        CHECK_EQ(size.bmWidth, static_cast<LONG>(sizes[id - 131][0]));
        CHECK_EQ(size.bmHeight, static_cast<LONG>(sizes[id - 131][1]));

        HDC dc = CreateCompatibleDC(screen);
        HBITMAP copy = LoadBitmapA(program, MAKEINTRESOURCEA(id));
        HGDIOBJ previous = SelectObject(dc, copy);
        HRGN plain = ShapeByPixelSubtraction(dc, size.bmWidth, size.bmHeight);
        if (!EqualRgn(plain, image.shape))
            RecordFailure(__FILE__, __LINE__, "shape " + std::to_string(id) + " differs");
        // The shape holds the grey bodies and leaves the black ground out.
        RECT box;
        GetRgnBox(image.shape, &box);
        CHECK(box.right - box.left < size.bmWidth && box.bottom - box.top < size.bmHeight);
        SelectObject(dc, previous);
        DeleteObject(copy);
        DeleteObject(plain);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    FreeLibrary(program);
    // A module without the pictures (the driver itself): 0, and nothing is made for it.
    sprite_images[1] = {};
    CHECK_EQ(LoadSpriteImage(GetModuleHandleA(nullptr), 132), 0);
    CHECK(sprite_images[1].bitmap == nullptr && sprite_images[1].dc == nullptr &&
          sprite_images[1].shape == nullptr);
}

// A copy of purl.scr whose picture 132 cannot be loaded: the scene says "create bitmap/rgn failed"
// once, makes no signs and starts no ticks, and the saver still shows the desktop and ends
// normally.
void MissingPictureShowsTheMessage()
{
    const std::string copy = DriverFolder() + "purl_broken_132.scr";
    CHECK(CopyFileA(g_saver_path.c_str(), copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    CHECK(update != nullptr);
    // Wine's resource updater does not delete; a picture of four bytes cannot be loaded either.
    char broken[4] = {0, 0, 0, 0};
    CHECK(UpdateResourceA(update, RT_BITMAP, MAKEINTRESOURCEA(132), kJapanese, broken, 4));
    CHECK(EndUpdateResourceA(update, FALSE));

    HWND desktop = ShowTestDesktop(TestDesktopColour);
    MoveMouseTo(ScreenWidth() / 2, ScreenHeight() / 2);
    Saver saver = StartProgram(copy, "/s");
    HWND box = WaitForWindow(nullptr, "#32770", "purlscrn", 15000);
    CHECK(box != nullptr);
    HWND window = FindWindowA(kSaverClass, "Screen Saver");
    CHECK(window != nullptr);
    if (box != nullptr) {
        CHECK(GetWindow(box, GW_OWNER) == window);
        char text[64] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        CHECK(strcmp(text, "create bitmap/rgn failed") == 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    for (int i = 0; i < 100 && IsWindow(box); ++i) // Wine takes a moment to take a window down
        Pump(100);
    Pump(1500);
    CHECK(IsRunning(saver));
    CHECK(FindWindowA(nullptr, "purlscrn") == nullptr); // shown once
    CHECK(FindWindowExA(window, nullptr, "purlwindow", nullptr) == nullptr);
    // No ticks: the picture does not melt.
    const Picture first = CaptureScreen();
    Pump(2000);
    const Picture later = CaptureScreen();
    int changed = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i)
        changed += first.pixels[i] != later.pixels[i];
    CHECK(changed < 3 * ScreenWidth()); // at most the strips a repaint's tremble uncovers
    PressKey(VK_SPACE);
    CHECK_EQ(WaitForEnd(saver), 0ul);
    DestroyWindow(desktop);
}

const TestCase cases[] = {
    {"images.resources_in_both_builds", BothBuildsCarryTheResources},
    {"images.shapes", ShapesEqualThePerPixelSubtraction},
    {"images.missing_picture", MissingPictureShowsTheMessage},
};
const Registration registration(cases, sizeof cases / sizeof cases[0]);
} // namespace
