#pragma once
// A whole simulated machine: the four ports over one lock and one virtual clock, with the test
// controls of each. A fresh machine has a fixed drive C: of 100 GB with the user's folders
// (C:\Users\User\Documents and the local application data), the standard file types
// under HKEY_CLASSES_ROOT and a clock at Monday 2026-01-05 09:00 UTC with a bias of 0.

#include <functional>
#include <memory>
#include <string>

#include "os/machine.h"
#include "os/sim/sim_clock.h"
#include "os/sim/sim_core.h"
#include "os/sim/sim_faults.h"
#include "os/sim/sim_file_system.h"
#include "os/sim/sim_registry.h"
#include "os/sim/sim_system.h"

namespace os::sim {

class SimMachine {
  public:
    SimMachine();
    SimMachine(const SimMachine&) = delete;
    SimMachine& operator=(const SimMachine&) = delete;

    Machine& machine() { return machine_; }
    SimClock& clock() { return clock_; }
    SimFileSystem& files() { return files_; }
    SimRegistry& registry() { return registry_; }
    SimSystem& system() { return system_; }

    // Fault injection for files and registry (see sim_faults.h).
    void FailOperation(SimOperation operation, std::string pattern, uint32_t error, int times = -1);
    void ClearFaults();
    // Fails the n-th file or registry operation from now (see SimFaults::FailNth).
    void FailNthOperation(uint64_t n, uint32_t error);
    uint64_t OperationCount();
    // Runs watch with the path of each file or registry operation from now, before it is done,
    // until watch returns false or the faults are cleared. It runs under the machine's lock: it
    // may look at the program's state, not call the machine.
    using OperationWatch = std::function<bool(const std::string& path)>;
    void WatchOperations(OperationWatch watch);

    // Power and media taken out at an exact step. A power cut at the n-th file or registry
    // operation from now (1 = the next): that operation and every later one fail with 21 and
    // change nothing, open files go stale, and each medium loses what its write cache held (the
    // registry keeps every value written before). RestorePower lets operations run again, as
    // after a restart; a test then makes the program anew.
    void CutPowerAtOperation(uint64_t n);
    void CutPowerNow();
    void RestorePower();
    bool PoweredOff();
    // The medium of root ("F:") is pulled out of its drive at the n-th operation from now,
    // losing its write cache; that operation fails with 1167 when it is on root, and later ones
    // there find no medium. MediumPulled gives the medium to put back.
    void PullMediumAtOperation(uint64_t n, const std::string& root);
    std::shared_ptr<SimMedium> MediumPulled();

  private:
    void ArmWatchLocked(std::shared_ptr<OperationWatch> watch);

    SimCore core_;
    SimFaults faults_;
    SimClock clock_;
    SimFileSystem files_;
    SimRegistry registry_;
    SimSystem system_;
    Machine machine_;
    std::shared_ptr<SimMedium> pulled_;
};

}  // namespace os::sim
