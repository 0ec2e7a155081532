// The scene controller: creation, the 500 ms tick (signs, melt, repaint), paint and teardown.
#include "scene/scene_controller.h"
#include "host/default_filter.h"
#include "scene/backdrop.h"
#include "scene/scene_clock.h"
#include "scene/screen_change.h"
#include "scene/sign.h"
#include "scene/sign_image.h"
#include "scene/sign_motion.h"
#include "scene/sign_window.h"
#include "scene/tick_redraw.h"

namespace {
const UINT_PTR kTimerId = 1;

// Which picture each entry of the SignTable shows: 1 large, 2 medium, 4 small.
const int kSignImage[kSignCount] = {0, 1, 1, 2, 2, 2, 2};

struct Scene {
    bool clock_started;
    DWORD start_tick;
    DWORD last_tick;
    SignTable signs;
};
Scene scene;

// Loads the three sign pictures in order; at the first failure says so and stops.
bool LoadImages(HWND window)
{
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    for (int id = 131; id <= 133; ++id) {
        if (!LoadSignImage(instance, id)) {
            MessageBoxA(window, "create bitmap/rgn failed", "purlscrn", MB_OK);
            return false;
        }
    }
    return true;
}

void OnCreate(HWND window)
{
    scene.start_tick = GetTickCount();
    Snapshot(window);
    if (!LoadImages(window))
        return; // a scene without signs and without ticks
    UseWindowsSignPlatform();
    ReadSignMonitors(window);
    for (int i = 0; i < kSignCount; ++i) {
        const SignImage& image = sign_images[kSignImage[i]];
        scene.signs[i] = new Sign(window, scene.signs, image.bitmap, image.dc, image.shape);
    }
    SetTimer(window, kTimerId, kTickInterval, nullptr);
}

void OnTimer(HWND window)
{
    const DWORD now = GetTickCount();
    const TickPlan plan = PlanSceneTick(now, scene.last_tick, scene.start_tick);
    scene.last_tick = now;
    for (Sign* sign : scene.signs)
        if (sign != nullptr)
            SignTick(sign, plan.sign_elapsed);
    if (plan.melt) {
        RECT client;
        GetClientRect(window, &client);
        MeltBackdrop(client);
    }
    TrembleRedraw(window);
}

void OnDestroy(HWND window)
{
    for (SignImage& image : sign_images)
        if (image.shape != nullptr)
            DeleteObject(image.shape);
    for (Sign*& sign : scene.signs) {
        delete sign;
        sign = nullptr;
    }
    KillTimer(window, kTimerId);
    ReleaseBackdrop(window);
}
} // namespace

void FollowScreen(HWND window, const RECT& box)
{
    // From the part of the screen the picture shows, whatever the system did to the window.
    const PlainRect before = BackdropBox();
    const PlainRect after = {box.left, box.top, box.right, box.bottom};
    const ScreenChange change = PlanScreenChange(before, after, BackdropDepth(), ScreenDepth());
    RemakeBackdrop(window, after, change);
    SetWindowPos(window, HWND_TOPMOST, box.left, box.top, box.right - box.left,
                 box.bottom - box.top, SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
    ReadSignMonitors(window);
    SignsFollowScreen(scene.signs, {0, 0, after.right - after.left, after.bottom - after.top},
                      change.shift_x, change.shift_y);
    TrembleRedraw(window);
}

LRESULT SceneProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    // The tick clock starts with the first message the scene sees, before WM_CREATE, so the
    // first tick hands the signs about one interval, not the system's uptime.
    if (!scene.clock_started) {
        scene.last_tick = GetTickCount();
        scene.clock_started = true;
    }
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        break;
    case WM_PAINT:
        TremblePaint(window);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_QUERYNEWPALETTE: // the window comes to the front: its colours go first
        return RealizeBackdropPalette(window);
    case WM_PALETTECHANGED: // another window changed the system's colours
        if (reinterpret_cast<HWND>(wparam) != window)
            RealizeBackdropPalette(window);
        return 0;
    case WM_TIMER:
        OnTimer(window);
        return 0;
    }
    return DefaultSaverFilter(window, message, wparam, lparam);
}
