#pragma once
// What the Win32 clock needs of a waitable: its kernel handle. Every waitable of the Win32 ports
// (events, mutexes, thread ends, change notifications) implements this as well as os::Waitable.

#include "os/win32/windows_api.h"

namespace os::win32 {

class Win32Waitable {
  public:
    virtual ~Win32Waitable() = default;
    virtual HANDLE WaitHandle() const = 0;
    // Called on the waiting thread after a wait has taken this waitable (a mutex is then owned).
    virtual void Acquired() {}
};

}  // namespace os::win32
