#pragma once
// The system port: the few facts and actions of the machine beyond files, registry and time.

#include <cstdint>
#include <string>

namespace os {

class System {
  public:
    virtual ~System() = default;
    // Total physical memory in bytes.
    virtual uint64_t PhysicalMemory() = 0;
    // Enables SeShutdownPrivilege when it can (failures there are ignored) and asks Windows to
    // shut down (ExitWindowsEx with EWX_SHUTDOWN, no force); returns the error of the request.
    [[nodiscard]] virtual uint32_t ShutDown() = 0;
    // The full path of the running program.
    virtual std::string ProgramPath() = 0;
    // The user's local application-data folder (CSIDL_LOCAL_APPDATA), without a trailing
    // backslash; empty when it cannot be found.
    virtual std::string LocalAppDataFolder() = 0;
    // The system's message text for an error code (FormatMessage, language neutral); empty when
    // the system has no text for it.
    virtual std::string ErrorMessageText(uint32_t code) = 0;
};

}  // namespace os
