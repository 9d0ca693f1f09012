#pragma once
// What a contract test runs against: the ports of one implementation, a scratch folder on a
// local fixed drive and a scratch registry key, both fresh for each test and removed after it.
// The same test sources build once against the simulated machine and once against Win32.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "os/machine.h"

namespace contract {

class PortEnvironment {
  public:
    virtual ~PortEnvironment() = default;
    virtual os::Machine& machine() = 0;
    // An empty folder, without a trailing backslash.
    virtual std::string scratch() = 0;
    // A key path under HKEY_CURRENT_USER that does not exist yet.
    virtual std::string registryScratch() = 0;
    virtual bool underWine() const = 0;
};

// Defined once per implementation (sim_environment.cpp, win32_environment.cpp).
std::unique_ptr<PortEnvironment> CreatePortEnvironment();

class ContractTest : public ::testing::Test {
  protected:
    void SetUp() override { environment_ = CreatePortEnvironment(); }
    void TearDown() override { environment_.reset(); }

    PortEnvironment& environment() { return *environment_; }
    os::FileSystem& files() { return environment_->machine().files; }
    os::Registry& registry() { return environment_->machine().registry; }
    os::Clock& clock() { return environment_->machine().clock; }
    os::System& system() { return environment_->machine().system; }
    std::string scratch() { return environment_->scratch(); }
    std::string at(const std::string& relative) { return scratch() + "\\" + relative; }
    bool underWine() const { return environment_->underWine(); }

  private:
    std::unique_ptr<PortEnvironment> environment_;
};

}  // namespace contract

// Wine cannot do what Windows does here; the test says why and stays in the suite.
#define SKIP_UNDER_WINE(reason)                          \
    do {                                                 \
        if (underWine()) {                               \
            GTEST_SKIP() << "Wine deviates: " << reason; \
        }                                                \
    } while (0)
