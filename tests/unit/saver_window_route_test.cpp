// The saver window's outer layer: swallowed system commands (full screen only), and nothing
// of ticks, paints or input reaching the scene once closing is granted.
#include "common/messages.h"
#include "host/saver_window_route.h"
#include <gtest/gtest.h>

TEST(SaverWindowRoute, WhatTheOuterLayerKeepsFromTheScene)
{
    enum Who { Full, Preview, FullGranted, PreviewGranted };
    struct Case {
        Who who;
        uint32_t message;
        uintptr_t wparam;
        SaverRoute route;
    } cases[] = {
        {Full, msg::kSysCommand, msg::kScScreenSave, SaverRoute::Swallow},
        {Full, msg::kSysCommand, msg::kScNextWindow, SaverRoute::Swallow},
        {Full, msg::kSysCommand, msg::kScPrevWindow, SaverRoute::Swallow},
        {Full, msg::kSysCommand, msg::kScClose, SaverRoute::Scene},
        {Full, msg::kSysCommand, msg::kScScreenSave | 2, SaverRoute::Scene}, // exact values only
        {Preview, msg::kSysCommand, msg::kScScreenSave, SaverRoute::Scene},
        {Preview, msg::kSysCommand, msg::kScNextWindow, SaverRoute::Scene},
        {Preview, msg::kSysCommand, msg::kScPrevWindow, SaverRoute::Scene},
        {Full, msg::kTimer, 1, SaverRoute::Scene},
        {Full, msg::kPaint, 0, SaverRoute::Scene},
        {Full, msg::kKeyDown, 'A', SaverRoute::Scene},
        {FullGranted, msg::kTimer, 1, SaverRoute::Swallow},
        {PreviewGranted, msg::kTimer, 1, SaverRoute::Swallow},
        {FullGranted, msg::kPaint, 0, SaverRoute::Default},
        {FullGranted, msg::kKeyDown, 'A', SaverRoute::Default},
        {FullGranted, msg::kSysKeyDown, 'A', SaverRoute::Default},
        {FullGranted, msg::kMouseMove, 0, SaverRoute::Default},
        {FullGranted, msg::kLButtonDown, 0, SaverRoute::Default},
        {FullGranted, msg::kRButtonDown, 0, SaverRoute::Default},
        {FullGranted, msg::kMButtonDown, 0, SaverRoute::Default},
        {FullGranted, msg::kClose, 0, SaverRoute::Scene}, // closing itself still goes through
        {FullGranted, msg::kDestroy, 0, SaverRoute::Scene},
        {Full, msg::kSetText, 0, SaverRoute::Swallow},
        {Preview, msg::kContextMenu, 0, SaverRoute::ForwardToParent},
        {Preview, msg::kHelp, 0, SaverRoute::ForwardToParent},
        {Full, msg::kContextMenu, 0, SaverRoute::Scene},
    };
    for (const Case& c : cases) {
        SaverState state;
        state.is_preview = c.who == Preview || c.who == PreviewGranted;
        state.close_granted = c.who == FullGranted || c.who == PreviewGranted;
        EXPECT_EQ(RouteSaverMessage(state, c.message, c.wparam), c.route)
            << "who " << c.who << " message " << c.message << " wparam " << c.wparam;
    }
}
