// The contract suites over the simulated machine.

#include <memory>

#include "os/sim/sim_machine.h"
#include "tests/os/contract/port_environment.h"

namespace contract {

namespace {

class SimEnvironment final : public PortEnvironment {
  public:
    SimEnvironment() : participation_(sim_.clock()) {
        sim_.files().PutFolder("C:\\Scratch");
        sim_.files().PutFolder(sim_.system().LocalAppDataFolder());
    }
    os::Machine& machine() override { return sim_.machine(); }
    std::string scratch() override { return "C:\\Scratch"; }
    std::string registryScratch() override {
        return "Software\\Corvant Ferrolin 2 Tests\\Contract";
    }
    bool underWine() const override { return false; }

  private:
    os::sim::SimMachine sim_;
    os::sim::SimClock::Participation participation_;
};

}  // namespace

std::unique_ptr<PortEnvironment> CreatePortEnvironment() {
    return std::make_unique<SimEnvironment>();
}

}  // namespace contract
