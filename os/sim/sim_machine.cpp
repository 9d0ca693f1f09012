#include "os/sim/sim_machine.h"

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

void SimMachine::ClearFaults() {
    std::lock_guard lock(core_.mutex());
    faults_.Clear();
}

}  // namespace os::sim
