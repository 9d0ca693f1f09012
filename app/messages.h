#pragma once
// The hidden main window's address on the desktop: its class, its title, and the messages that
// the other instance, the engine, the settings sheet and the shell post to it.

#include "framework/windows_api.h"

namespace app {

// A second instance finds the running one by this class.
inline constexpr wchar_t kMainWindowClass[] = L"Dizirazurovuviriz2arodorezarad";
// The single-instance mutex, held while an instance starts up.
inline constexpr wchar_t kStartupMutexName[] = L"Corvant Ferrolin 2 Mutex";

inline constexpr UINT WMU_OPEN = WM_USER + 1;              // 0x401: open the settings
inline constexpr UINT WMU_ADD_TRAY_ICON = WM_USER + 3;     // 0x403
inline constexpr UINT WMU_REMOVE_TRAY_ICON = WM_USER + 4;  // 0x404
inline constexpr UINT WMU_ANIMATE_START = WM_USER + 5;     // 0x405: a pass is starting
inline constexpr UINT WMU_ANIMATE_STOP = WM_USER + 6;      // 0x406: it is over
inline constexpr UINT WMU_TRAY_NOTIFY = WM_USER + 10;      // 0x40A: the tray icon's callback

// The tray icon's identifier is the number of its menu.
inline constexpr UINT kTrayIconId = 107;
// The animation's frame time.
inline constexpr UINT kTrayFrameMs = 100;

}  // namespace app
