// Window message numbers and constants that the window-free decisions compare against.
// They carry their own names so that this header never clashes with windows.h.
#pragma once
#include <cstdint>

namespace msg {
constexpr uint32_t kNull = 0x0000;
constexpr uint32_t kCreate = 0x0001;
constexpr uint32_t kDestroy = 0x0002;
constexpr uint32_t kPaint = 0x000F;
constexpr uint32_t kClose = 0x0010;
constexpr uint32_t kShowWindow = 0x0018;
constexpr uint32_t kActivateApp = 0x001C;
constexpr uint32_t kSetCursor = 0x0020;
constexpr uint32_t kPower = 0x0048;
constexpr uint32_t kHelp = 0x0053;
constexpr uint32_t kContextMenu = 0x007B;
constexpr uint32_t kSetText = 0x000C;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kChar = 0x0102;
constexpr uint32_t kSysKeyDown = 0x0104;
constexpr uint32_t kSysCommand = 0x0112;
constexpr uint32_t kTimer = 0x0113;
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kLButtonDown = 0x0201;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kLButtonDblClk = 0x0203;
constexpr uint32_t kRButtonDown = 0x0204;
constexpr uint32_t kMButtonDown = 0x0207;
constexpr uint32_t kMouseWheel = 0x020A;
constexpr uint32_t kPowerBroadcast = 0x0218;
constexpr uint32_t kApp = 0x8000;

// WM_POWER's event after the system resumed from a critical suspension (PWR_CRITICALRESUME).
constexpr uintptr_t kPowerCriticalResume = 3;
// WM_POWERBROADCAST's events of going to sleep and waking (the PBT_APM* values); the others
// (a power-status change, low battery, an OEM event, a power-setting change) are not listed.
constexpr uintptr_t kPbtQuerySuspend = 0x0000;
constexpr uintptr_t kPbtQueryStandby = 0x0001;
constexpr uintptr_t kPbtSuspend = 0x0004;
constexpr uintptr_t kPbtStandby = 0x0005;
constexpr uintptr_t kPbtResumeCritical = 0x0006;
constexpr uintptr_t kPbtResumeSuspend = 0x0007;
constexpr uintptr_t kPbtResumeStandby = 0x0008;
constexpr uintptr_t kPbtResumeAutomatic = 0x0012;
constexpr uintptr_t kScNextWindow = 0xF040;
constexpr uintptr_t kScPrevWindow = 0xF050;
constexpr uintptr_t kScClose = 0xF060;
constexpr uintptr_t kScScreenSave = 0xF140;
} // namespace msg
