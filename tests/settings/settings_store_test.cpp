// The settings store over a real registry port: the same cases run on the simulated registry and,
// in the Windows tree, on Windows' own (under Wine).

#include "settings/settings_store.h"

#include <string>
#include <vector>

#include "os/errors.h"
#include "tests/os/contract/port_environment.h"

namespace settings {
namespace {

class SettingsStoreTest : public contract::ContractTest {
  protected:
    void SetUp() override {
        ContractTest::SetUp();
        productKey = environment().registryScratch();
        store = std::make_unique<CKRVSettingsStore>(registry(), productKey);
    }
    void TearDown() override {
        registry().DeleteKeyTree(os::Hive::CurrentUser, productKey);
        store.reset();
        ContractTest::TearDown();
    }

    // The raw value as it lies in the registry.
    os::RegistryValue Stored(const std::string& name) {
        std::unique_ptr<os::RegistryKey> key;
        os::RegistryValue value;
        if (registry().OpenKey(os::Hive::CurrentUser, productKey + "\\User Options", false, key) ==
            0) {
            key->QueryValue(name, value);
        }
        return value;
    }
    void Put(const std::string& name, uint32_t type, const std::string& bytes) {
        std::unique_ptr<os::RegistryKey> key;
        ASSERT_EQ(registry().CreateKey(os::Hive::CurrentUser, productKey + "\\User Options", key),
                  0u);
        os::RegistryValue value;
        value.type = type;
        value.data = bytes;
        ASSERT_EQ(key->SetValue(name, value), 0u);
    }

    std::string productKey;
    std::unique_ptr<CKRVSettingsStore> store;
};

TEST_F(SettingsStoreTest, NumbersRoundTripAndMissingOnesFollowTheirRule) {
    uint32_t kept = 7;
    EXPECT_NE(store->ReadMirrorStatus(kept), 0u);
    EXPECT_EQ(kept, 7u);  // kept
    uint32_t zeroed = 7;
    EXPECT_NE(store->ReadSchedulerValue(names::kSchedulerType, zeroed), 0u);
    EXPECT_EQ(zeroed, 0u);  // zeroed
    zeroed = 7;
    EXPECT_NE(store->ReadIconStatus(zeroed), 0u);
    EXPECT_EQ(zeroed, 0u);

    ASSERT_EQ(store->WriteMirrorStatus(1), 0u);
    ASSERT_EQ(store->WriteRevisions(kUnlimitedRevisions), 0u);
    ASSERT_EQ(store->WriteSchedulerValue(names::kSchedulerDays, 0x3E), 0u);
    uint32_t value = 0;
    ASSERT_EQ(store->ReadMirrorStatus(value), 0u);
    EXPECT_EQ(value, 1u);
    ASSERT_EQ(store->ReadRevisions(value), 0u);
    EXPECT_EQ(value, kUnlimitedRevisions);
    ASSERT_EQ(store->ReadSchedulerValue(names::kSchedulerDays, value), 0u);
    EXPECT_EQ(value, 0x3Eu);
    EXPECT_EQ(Stored("Mirror Status").type, os::kRegDword);
}

TEST_F(SettingsStoreTest, AValueOfTheWrongTypeOrSizeReadsAsMissing) {
    Put("Mirror Status", os::kRegSz, std::string("1\0", 2));
    Put("Icon Status", os::kRegDword, std::string("\x01\x00", 2));
    Put("Destination", os::kRegDword, std::string("\x45\x3A\x5C\x00", 4));
    Put("Source", os::kRegSz, std::string("C:\\Data\0", 8));
    uint32_t mirror = 5;
    EXPECT_EQ(store->ReadMirrorStatus(mirror), kErrorInvalidData);
    EXPECT_EQ(mirror, 5u);
    uint32_t icon = 5;
    EXPECT_EQ(store->ReadIconStatus(icon), kErrorInvalidData);
    EXPECT_EQ(icon, 0u);
    std::string destination = "kept";
    EXPECT_EQ(store->ReadDestination(destination), kErrorInvalidData);
    EXPECT_EQ(destination, "kept");
    std::vector<std::string> sources{"old"};
    EXPECT_EQ(store->ReadSourceList(sources), kErrorInvalidData);
    EXPECT_TRUE(sources.empty());
}

TEST_F(SettingsStoreTest, StringsAreStoredWithoutTerminatorAndReadEitherWay) {
    ASSERT_EQ(store->WriteDestination("E:\\"), 0u);
    EXPECT_EQ(Stored("Destination").data, "E:\\");
    std::string read;
    ASSERT_EQ(store->ReadDestination(read), 0u);
    EXPECT_EQ(read, "E:\\");
    Put("DiskID", os::kRegSz, std::string("1234-ABCD\0", 10));
    ASSERT_EQ(store->ReadDiskId(read), 0u);
    EXPECT_EQ(read, "1234-ABCD");
}

TEST_F(SettingsStoreTest, AnEmptyStringOrListLeavesTheStoredValue) {
    ASSERT_EQ(store->WriteDestination("F:\\"), 0u);
    ASSERT_EQ(store->WriteDestination(""), 0u);
    std::string destination;
    ASSERT_EQ(store->ReadDestination(destination), 0u);
    EXPECT_EQ(destination, "F:\\");
    ASSERT_EQ(store->WriteSourceList({"C:\\Data"}), 0u);
    ASSERT_EQ(store->WriteSourceList({}), 0u);
    std::vector<std::string> sources;
    ASSERT_EQ(store->ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, (std::vector<std::string>{"C:\\Data"}));
}

TEST_F(SettingsStoreTest, ListsHaveTheirExactBytesAndKeepEmptyEntries) {
    ASSERT_EQ(store->WriteSourceList({"C:\\Data", "D:\\Work"}), 0u);
    EXPECT_EQ(Stored("Source").data.size(), 17u);
    EXPECT_EQ(Stored("Source").data, std::string("C:\\Data\0D:\\Work\0\0", 17));
    Put("Filter", os::kRegMultiSz, std::string("doc\0\0tmp\0\0", 10));
    std::vector<std::string> filter;
    ASSERT_EQ(store->ReadFilterList(filter), 0u);
    EXPECT_EQ(filter, (std::vector<std::string>{"doc", "", "tmp"}));
    // A list whose final NULs are missing still gives every string.
    Put("Filter", os::kRegMultiSz, std::string("doc\0tmp", 7));
    ASSERT_EQ(store->ReadFilterList(filter), 0u);
    EXPECT_EQ(filter, (std::vector<std::string>{"doc", "tmp"}));
    ASSERT_EQ(store->DeleteFilterList(), 0u);
    EXPECT_NE(store->ReadFilterList(filter), 0u);
    EXPECT_TRUE(filter.empty());
}

TEST_F(SettingsStoreTest, LongAndUnicodeEntriesAreKeptWhole) {
    std::string deep = "C:\\";
    while (deep.size() < 400) {
        deep += "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 ";  // "Папка "
    }
    const std::string cjk = "D:\\\xE6\x96\x87\xE6\xA1\xA3";
    ASSERT_EQ(store->WriteSourceList({deep, cjk}), 0u);
    std::vector<std::string> sources;
    ASSERT_EQ(store->ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, (std::vector<std::string>{deep, cjk}));
    ASSERT_EQ(store->WriteDestination(deep), 0u);
    std::string destination;
    ASSERT_EQ(store->ReadDestination(destination), 0u);
    EXPECT_EQ(destination, deep);
}

TEST_F(SettingsStoreTest, TimesArePairsWrittenLowFirst) {
    const os::FileTime time = 0x01DB123456789ABCULL;
    ASSERT_EQ(store->WriteStartTime(time), 0u);
    uint32_t low = 0;
    ASSERT_TRUE(Stored("Start Time Low").AsDword(low));
    EXPECT_EQ(low, 0x56789ABCu);
    os::FileTime read = 1;
    ASSERT_EQ(store->ReadStartTime(read), 0u);
    EXPECT_EQ(read, time);
    ASSERT_EQ(store->WriteSchedulerLastRun(time + 1), 0u);
    EXPECT_EQ(Stored("Scheduler LRT.High").type, os::kRegDword);
    ASSERT_EQ(store->ReadSchedulerLastRun(read), 0u);
    EXPECT_EQ(read, time + 1);
    // A pair with its high half missing changes nothing.
    Put("Disk Start Time Low", os::kRegDword, std::string("\x01\x00\x00\x00", 4));
    os::FileTime disk = 42;
    EXPECT_NE(store->ReadDiskStartTime(disk), 0u);
    EXPECT_EQ(disk, 42u);
}

TEST_F(SettingsStoreTest, TheIntervalIsCountedInItsUnit) {
    uint32_t minutes = 9;
    EXPECT_NE(store->ReadIntervalMinutes(minutes), 0u);
    EXPECT_EQ(minutes, 15u);  // missing: the Scheduling page's default
    ASSERT_EQ(store->WriteSchedulerValue(names::kSchedulerInterval, 2), 0u);
    ASSERT_EQ(store->ReadIntervalMinutes(minutes), 0u);
    EXPECT_EQ(minutes, 2u);  // no unit stored: minutes
    for (auto [unit, expected] :
         {std::pair{kUnitMinutes, 2u}, {kUnitHours, 120u}, {kUnitDays, 2880u}}) {
        ASSERT_EQ(store->WriteSchedulerValue(names::kSchedulerIntervalUnit, unit), 0u);
        ASSERT_EQ(store->ReadIntervalMinutes(minutes), 0u);
        EXPECT_EQ(minutes, expected) << "unit " << unit;
    }
    ASSERT_EQ(store->WriteSchedulerValue(names::kSchedulerInterval, 999), 0u);
    ASSERT_EQ(store->ReadIntervalMinutes(minutes), 0u);
    EXPECT_EQ(minutes, 999u * 1440u);
}

TEST_F(SettingsStoreTest, AnIntervalOutOfItsRangeIsTheDefaultNeverZero) {
    struct Case {
        uint32_t count;
        uint32_t unit;
    };
    // 0 minutes; 1000; a count that overflows 32 bits in hours (71582789 * 60 = 2^32 + 44);
    // a unit that does not exist.
    for (const Case c : {Case{0, kUnitMinutes}, Case{1000, kUnitMinutes},
                         Case{71582789, kUnitHours}, Case{4294967295u, kUnitDays}, Case{5, 3}}) {
        ASSERT_EQ(store->WriteSchedulerValue(names::kSchedulerInterval, c.count), 0u);
        ASSERT_EQ(store->WriteSchedulerValue(names::kSchedulerIntervalUnit, c.unit), 0u);
        uint32_t minutes = 0;
        EXPECT_EQ(store->ReadIntervalMinutes(minutes), kErrorInvalidData) << c.count;
        EXPECT_EQ(minutes, 15u) << c.count << " in unit " << c.unit;
    }
}

TEST_F(SettingsStoreTest, TheProgramIsConfiguredOnlyWithAllTwelveValues) {
    EXPECT_FALSE(store->IsConfigured());
    ASSERT_EQ(store->WriteTooLargeStatus(1), 0u);
    ASSERT_EQ(store->WriteDestination("F:\\"), 0u);
    ASSERT_EQ(store->WriteDiskId("0"), 0u);
    ASSERT_EQ(store->WriteFileErrorStatus(1), 0u);
    ASSERT_EQ(store->WriteFileNameStatus(1), 0u);
    ASSERT_EQ(store->WriteIconStatus(1), 0u);
    ASSERT_EQ(store->WriteMirrorStatus(1), 0u);
    ASSERT_EQ(store->WriteNotCurrentStatus(1), 0u);
    ASSERT_EQ(store->WriteRevisions(0), 0u);
    ASSERT_EQ(store->WriteSourceList({"C:\\Data"}), 0u);
    ASSERT_EQ(store->WriteStartTime(0), 0u);
    EXPECT_FALSE(store->IsConfigured());  // "Warning Status" is still missing
    ASSERT_EQ(store->WriteWarningStatus(1), 0u);
    EXPECT_TRUE(store->IsConfigured());
    Put("Revisions", os::kRegSz, std::string("5", 1));
    EXPECT_FALSE(store->IsConfigured());  // a malformed value is a missing one
}

TEST_F(SettingsStoreTest, TheSpecialKeyIsSeenWhenItExists) {
    EXPECT_FALSE(store->SpecialKeyExists());
    std::unique_ptr<os::RegistryKey> key;
    ASSERT_EQ(registry().CreateKey(os::Hive::CurrentUser, productKey + "\\Special", key), 0u);
    EXPECT_TRUE(store->SpecialKeyExists());
}

}  // namespace
}  // namespace settings
