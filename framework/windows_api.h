#pragma once
// The one way the framework and the windows above it include the Win32 headers: the wide API,
// no min/max macros, the common controls and the shell.

#include "os/win32/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>

// Names the framework uses for its own classes and methods; Win32 is called by the ...W names.
#undef DrawText
#undef LoadBitmap
#undef PropertySheet
#undef RegisterClass
