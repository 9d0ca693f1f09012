// Registry faults and helpers of the simulated machine.

#include "os/sim/sim_machine.h"

#include <gtest/gtest.h>

#include "os/errors.h"

namespace os::sim {
namespace {

TEST(SimRegistry, FaultsHitTheNamedKeyOrValueOnly) {
    SimMachine sim;
    Registry& registry = sim.machine().registry;
    sim.registry().Put(Hive::CurrentUser, "Software\\Test", "Good", RegistryValue::Dword(1));
    sim.registry().Put(Hive::CurrentUser, "Software\\Test", "Bad", RegistryValue::Dword(2));
    sim.FailOperation(SimOperation::RegistryQuery, "HKCU\\Software\\Test:Bad", kErrorAccessDenied);
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(registry.OpenKey(Hive::CurrentUser, "software\\test", false, key), kErrorSuccess);
    RegistryValue value;
    EXPECT_EQ(key->QueryValue("Good", value), kErrorSuccess);
    EXPECT_EQ(key->QueryValue("Bad", value), kErrorAccessDenied);
    sim.FailOperation(SimOperation::RegistryOpen, "HKCU\\Software\\Test", kErrorAccessDenied, 1);
    EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "Software\\Test", false, key),
              kErrorAccessDenied);
    EXPECT_EQ(registry.OpenKey(Hive::CurrentUser, "Software\\Test", false, key), kErrorSuccess);
}

TEST(SimRegistry, AnOpenKeyOfADeletedTreeFails) {
    SimMachine sim;
    Registry& registry = sim.machine().registry;
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(registry.CreateKey(Hive::CurrentUser, "Software\\Gone\\Deep", key), kErrorSuccess);
    ASSERT_EQ(registry.DeleteKeyTree(Hive::CurrentUser, "Software\\Gone"), kErrorSuccess);
    RegistryValue value;
    EXPECT_NE(key->QueryValue("x", value), kErrorSuccess);
    EXPECT_NE(key->SetValue("x", RegistryValue::Dword(1)), kErrorSuccess);
    RegistryValue stored;
    EXPECT_FALSE(sim.registry().Get(Hive::CurrentUser, "Software\\Gone\\Deep", "x", stored));
}

TEST(SimRegistry, StandardClassesHaveTypesWithAndWithoutAProgram) {
    SimMachine sim;
    RegistryValue value;
    ASSERT_TRUE(sim.registry().Get(Hive::ClassesRoot, ".jpeg", "", value));
    ASSERT_TRUE(sim.registry().Get(Hive::ClassesRoot, "jpegfile", "", value));
    ASSERT_TRUE(sim.registry().Get(Hive::ClassesRoot, ".tmp", "", value));
    EXPECT_EQ(value.data, std::string("\0", 1));
}

}  // namespace
}  // namespace os::sim
