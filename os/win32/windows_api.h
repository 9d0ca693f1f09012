#pragma once
// The one way the Win32 ports include <windows.h>: wide-character API, no min/max macros, and
// none of the A/W name macros that would rename the ports' own methods (CreateDirectory,
// DeleteFile, MoveFile ...). Code here calls the ...W functions by their full names.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#undef CreateDirectory
#undef CreateEvent
#undef CreateMutex
#undef DeleteFile
#undef GetDriveType
#undef MoveFile
#undef RemoveDirectory
