#include "os/sim/sim_machine.h"

#include "os/errors.h"
#include "os/text.h"

namespace os::sim {

SimMachine::SimMachine()
    : clock_(core_),
      files_(core_, faults_),
      registry_(core_, faults_),
      machine_{files_, registry_, clock_, system_} {
    SimMediumSpec system;
    system.label = "Windows";
    system.serialNumber = 0x5A17C0DE;
    system.capacityBytes = 100ULL << 30;
    files_.AddDrive("C:", DriveType::Fixed, files_.CreateMedium(system));
    files_.PutFolder(system_.LocalAppDataFolder());
    files_.PutFolder("C:\\Users\\User\\Documents");
    registry_.AddStandardClasses();
}

void SimMachine::FailOperation(SimOperation operation, std::string pattern, uint32_t error,
                               int times) {
    std::lock_guard lock(core_.mutex());
    faults_.Add(operation, std::move(pattern), error, times);
}

void SimMachine::FailNthOperation(uint64_t n, uint32_t error) {
    std::lock_guard lock(core_.mutex());
    faults_.FailNth(n, error);
}

uint64_t SimMachine::OperationCount() {
    std::lock_guard lock(core_.mutex());
    return faults_.OperationCount();
}

void SimMachine::WatchOperations(OperationWatch watch) {
    std::lock_guard lock(core_.mutex());
    ArmWatchLocked(std::make_shared<OperationWatch>(std::move(watch)));
}

void SimMachine::ArmWatchLocked(std::shared_ptr<OperationWatch> watch) {
    faults_.AtNth(1, [this, watch](const std::string& path) {
        if ((*watch)(path)) {
            ArmWatchLocked(watch);  // the next operation, too
        }
        return kErrorSuccess;
    });
}

void SimMachine::CutPowerAtOperation(uint64_t n) {
    std::lock_guard lock(core_.mutex());
    faults_.AtNth(n, [this](const std::string&) {
        files_.CutPowerLocked();
        faults_.SetPoweredOff(true);
        return kErrorNotReady;
    });
}

void SimMachine::CutPowerNow() {
    std::lock_guard lock(core_.mutex());
    files_.CutPowerLocked();
    faults_.SetPoweredOff(true);
}

void SimMachine::RestorePower() {
    std::lock_guard lock(core_.mutex());
    faults_.SetPoweredOff(false);
}

bool SimMachine::PoweredOff() {
    std::lock_guard lock(core_.mutex());
    return faults_.PoweredOff();
}

void SimMachine::PullMediumAtOperation(uint64_t n, const std::string& root) {
    std::lock_guard lock(core_.mutex());
    const std::string key = Upcase(root);
    faults_.AtNth(n, [this, key](const std::string& path) {
        pulled_ = files_.EjectMediumLocked(key, false);
        const bool onThatDrive = Upcase(path).rfind(key, 0) == 0;
        return onThatDrive ? kErrorDeviceNotConnected : kErrorSuccess;
    });
}

std::shared_ptr<SimMedium> SimMachine::MediumPulled() {
    std::lock_guard lock(core_.mutex());
    return pulled_;
}

void SimMachine::ClearFaults() {
    std::lock_guard lock(core_.mutex());
    faults_.Clear();
}

}  // namespace os::sim
