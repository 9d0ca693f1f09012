#pragma once
// The system port of the simulated machine.

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "os/system.h"

namespace os::sim {

class SimSystem final : public System {
  public:
    SimSystem();

    uint64_t PhysicalMemory() override { return memory_; }
    [[nodiscard]] uint32_t ShutDown() override;
    std::string ProgramPath() override;
    std::string LocalAppDataFolder() override;
    std::string ErrorMessageText(uint32_t code) override;

    void SetPhysicalMemory(uint64_t bytes) { memory_ = bytes; }
    void SetProgramPath(const std::string& path);
    void SetLocalAppDataFolder(const std::string& path);
    void SetShutDownResult(uint32_t error) { shutDownResult_ = error; }
    // How many times the program asked Windows to shut down.
    int ShutDownRequests() const { return shutDownRequests_; }

  private:
    std::atomic<uint64_t> memory_{8ULL << 30};
    std::atomic<int> shutDownRequests_{0};
    std::atomic<uint32_t> shutDownResult_{0};
    std::mutex mutex_;
    std::string programPath_;
    std::string localAppData_;
};

}  // namespace os::sim
