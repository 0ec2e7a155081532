// Which way the saver window's outer layer sends each message.
#include "host/saver_window_route.h"
#include "common/messages.h"

namespace {
bool IsSwallowedSysCommand(uintptr_t command)
{
    // The full-screen saver neither switches windows nor starts the screen saver again.
    return command == msg::kScNextWindow || command == msg::kScPrevWindow ||
           command == msg::kScScreenSave;
}
} // namespace

SaverRoute RouteSaverMessage(const SaverState& state, uint32_t message, uintptr_t wparam)
{
    switch (message) {
    case msg::kSetText:
        return SaverRoute::Swallow; // the title stays as it is
    case msg::kPaint:
    case msg::kKeyDown:
    case msg::kSysKeyDown:
    case msg::kMouseMove:
    case msg::kLButtonDown:
    case msg::kRButtonDown:
    case msg::kMButtonDown:
        return state.close_granted ? SaverRoute::Default : SaverRoute::Scene;
    case msg::kTimer:
        return state.close_granted ? SaverRoute::Swallow : SaverRoute::Scene;
    case msg::kHelp:
    case msg::kContextMenu:
        return state.is_preview ? SaverRoute::ForwardToParent : SaverRoute::Scene;
    case msg::kSysCommand:
        return !state.is_preview && IsSwallowedSysCommand(wparam) ? SaverRoute::Swallow
                                                                  : SaverRoute::Scene;
    }
    return SaverRoute::Scene;
}
