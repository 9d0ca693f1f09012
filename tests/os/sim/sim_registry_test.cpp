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
    EXPECT_EQ(key->QueryValue("x", value), kErrorKeyDeleted);
    EXPECT_EQ(key->SetValue("x", RegistryValue::Dword(1)), kErrorKeyDeleted);
    RegistryValue stored;
    EXPECT_FALSE(sim.registry().Get(Hive::CurrentUser, "Software\\Gone\\Deep", "x", stored));
}

TEST(SimRegistry, NamesAndStringsMustBeText) {
    SimMachine sim;
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(sim.machine().registry.CreateKey(Hive::CurrentUser, "Software\\T", key),
              kErrorSuccess);
    EXPECT_EQ(key->SetValue(std::string("a\0b", 3), RegistryValue::Dword(1)),
              kErrorInvalidParameter);
    RegistryValue bad;
    bad.type = kRegSz;
    bad.data = "\xFF\xFE";
    EXPECT_EQ(key->SetValue("s", bad), kErrorInvalidParameter);
    bad.type = kRegBinary;
    EXPECT_EQ(key->SetValue("b", bad), kErrorSuccess);  // bytes are bytes
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
