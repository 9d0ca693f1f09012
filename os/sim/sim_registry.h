#pragma once
// The registry port of the simulated machine: hives of keys with values, case-insensitive
// names, enumeration in sorted order, and faults from SimFaults.

#include <map>
#include <memory>
#include <string>

#include "os/registry.h"
#include "os/sim/sim_core.h"
#include "os/sim/sim_faults.h"

namespace os::sim {

struct SimKeyNode;

class SimRegistry final : public Registry {
  public:
    SimRegistry(SimCore& core, SimFaults& faults);
    ~SimRegistry() override;

    [[nodiscard]] uint32_t OpenKey(Hive hive, const std::string& path, bool forWriting,
                                   std::unique_ptr<RegistryKey>& key) override;
    [[nodiscard]] uint32_t CreateKey(Hive hive, const std::string& path,
                                     std::unique_ptr<RegistryKey>& key) override;
    [[nodiscard]] uint32_t DeleteKeyTree(Hive hive, const std::string& path) override;

    // Test helpers (no faults): set and read values directly.
    void Put(Hive hive, const std::string& path, const std::string& name,
             const RegistryValue& value);
    bool Get(Hive hive, const std::string& path, const std::string& name, RegistryValue& value);
    // A few file types as a fresh Windows has them under HKEY_CLASSES_ROOT.
    void AddStandardClasses();

  private:
    friend class SimRegistryKey;
    std::shared_ptr<SimKeyNode> FindLocked(Hive hive, const std::string& path) const;
    std::shared_ptr<SimKeyNode> CreateLocked(Hive hive, const std::string& path);
    static std::string HiveName(Hive hive);

    SimCore& core_;
    SimFaults& faults_;
    std::map<Hive, std::shared_ptr<SimKeyNode>> hives_;
};

}  // namespace os::sim
