#pragma once
// The four Win32 ports together: the machine the program runs on.

#include "os/machine.h"
#include "os/win32/win32_clock.h"
#include "os/win32/win32_file_system.h"
#include "os/win32/win32_registry.h"
#include "os/win32/win32_system.h"

namespace os::win32 {

class Win32Machine {
  public:
    Win32Machine() = default;
    Win32Machine(const Win32Machine&) = delete;
    Win32Machine& operator=(const Win32Machine&) = delete;

    Machine& machine() { return machine_; }

  private:
    Win32FileSystem files_;
    Win32Registry registry_;
    Win32Clock clock_;
    Win32System system_;
    Machine machine_{files_, registry_, clock_, system_};
};

}  // namespace os::win32
