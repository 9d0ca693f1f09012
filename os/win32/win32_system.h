#pragma once
// The system port over the Win32 API: memory status, shutdown, module and shell folders, system
// message texts.

#include "os/system.h"

namespace os::win32 {

class Win32System final : public System {
  public:
    uint64_t PhysicalMemory() override;
    [[nodiscard]] uint32_t ShutDown() override;
    std::string ProgramPath() override;
    std::string LocalAppDataFolder() override;
    std::string ErrorMessageText(uint32_t code) override;
};

}  // namespace os::win32
