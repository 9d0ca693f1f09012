// The registry port's contract: keys and values as the settings store and the file-type list
// use them.

#include <string>
#include <vector>

#include "os/errors.h"
#include "tests/os/contract/port_environment.h"

namespace contract {
namespace {

using os::Hive;
using os::RegistryValue;

class RegistryContract : public ContractTest {
  protected:
    void TearDown() override {
        registry().DeleteKeyTree(Hive::CurrentUser, environment().registryScratch());
        ContractTest::TearDown();
    }
    std::string key() { return environment().registryScratch(); }

    std::unique_ptr<os::RegistryKey> Create(const std::string& path) {
        std::unique_ptr<os::RegistryKey> k;
        EXPECT_EQ(registry().CreateKey(Hive::CurrentUser, path, k), os::kErrorSuccess);
        return k;
    }
    RegistryValue Raw(uint32_t type, const std::string& bytes) {
        RegistryValue v;
        v.type = type;
        v.data = bytes;
        return v;
    }
};

TEST_F(RegistryContract, ADwordRoundTrips) {
    auto k = Create(key());
    ASSERT_EQ(k->SetValue("Mirror Status", RegistryValue::Dword(0xFFFFFFFF)), os::kErrorSuccess);
    RegistryValue v;
    ASSERT_EQ(k->QueryValue("mirror status", v), os::kErrorSuccess);
    uint32_t number = 0;
    ASSERT_TRUE(v.AsDword(number));
    EXPECT_EQ(number, 0xFFFFFFFFu);
}

TEST_F(RegistryContract, MissingKeysAndValuesReadAsNotFound) {
    std::unique_ptr<os::RegistryKey> k;
    EXPECT_EQ(registry().OpenKey(Hive::CurrentUser, key() + "\\Nothing", false, k),
              os::kErrorFileNotFound);
    auto created = Create(key());
    RegistryValue v;
    EXPECT_EQ(created->QueryValue("Absent", v), os::kErrorFileNotFound);
    EXPECT_EQ(created->DeleteValue("Absent"), os::kErrorFileNotFound);
}

TEST_F(RegistryContract, AStringWithoutItsTerminatorReadsBackWithoutOne) {
    auto k = Create(key());
    ASSERT_EQ(k->SetValue("Destination", Raw(os::kRegSz, "E:\\")), os::kErrorSuccess);
    RegistryValue v;
    ASSERT_EQ(k->QueryValue("Destination", v), os::kErrorSuccess);
    EXPECT_EQ(v.type, os::kRegSz);
    EXPECT_EQ(v.data, "E:\\");
    ASSERT_EQ(k->SetValue("DiskID", RegistryValue::String("1234-ABCD")), os::kErrorSuccess);
    ASSERT_EQ(k->QueryValue("DiskID", v), os::kErrorSuccess);
    EXPECT_EQ(v.data, std::string("1234-ABCD\0", 10));
}

TEST_F(RegistryContract, AListKeepsItsExactBytes) {
    auto k = Create(key());
    const std::string list("C:\\Data\0D:\\Work\0\0", 17);
    ASSERT_EQ(k->SetValue("Source", Raw(os::kRegMultiSz, list)), os::kErrorSuccess);
    RegistryValue v;
    ASSERT_EQ(k->QueryValue("Source", v), os::kErrorSuccess);
    EXPECT_EQ(v.type, os::kRegMultiSz);
    EXPECT_EQ(v.data, list);
}

TEST_F(RegistryContract, LongAndUnicodeStringsRoundTrip) {
    auto k = Create(key());
    const std::string unicode =
        "C:"
        "\\\xE6\x96\x87\xE6\x9B\xB8\\\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1"
        "\x82\xD1\x8B";
    std::string longText = "C:\\";
    for (int i = 0; i < 40; ++i) {
        longText += "folder number " + std::to_string(i) + "\\";
    }
    ASSERT_GT(longText.size(), 600u);
    for (const std::string& text : {unicode, longText}) {
        ASSERT_EQ(k->SetValue("Text", Raw(os::kRegSz, text)), os::kErrorSuccess);
        RegistryValue v;
        ASSERT_EQ(k->QueryValue("Text", v), os::kErrorSuccess);
        EXPECT_EQ(v.data, text);
    }
}

TEST_F(RegistryContract, ValuesAndKeysAreDeleted) {
    auto k = Create(key() + "\\Child\\Grandchild");
    ASSERT_EQ(k->SetValue("v", RegistryValue::Dword(1)), os::kErrorSuccess);
    ASSERT_EQ(k->DeleteValue("v"), os::kErrorSuccess);
    RegistryValue v;
    EXPECT_EQ(k->QueryValue("v", v), os::kErrorFileNotFound);
    k.reset();
    ASSERT_EQ(registry().DeleteKeyTree(Hive::CurrentUser, key()), os::kErrorSuccess);
    std::unique_ptr<os::RegistryKey> gone;
    EXPECT_EQ(registry().OpenKey(Hive::CurrentUser, key() + "\\Child", false, gone),
              os::kErrorFileNotFound);
    EXPECT_EQ(registry().DeleteKeyTree(Hive::CurrentUser, key()), os::kErrorFileNotFound);
}

TEST_F(RegistryContract, SubkeysAreEnumeratedWithTheirNames) {
    for (const char* name : {"Gamma", "alpha", "Beta"}) {
        Create(key() + "\\" + name);
    }
    std::unique_ptr<os::RegistryKey> k;
    ASSERT_EQ(registry().OpenKey(Hive::CurrentUser, key(), false, k), os::kErrorSuccess);
    std::vector<std::string> names;
    std::string name;
    for (uint32_t i = 0; k->EnumerateSubkey(i, name) == os::kErrorSuccess; ++i) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
    EXPECT_EQ(k->EnumerateSubkey(3, name), os::kErrorNoMoreItems);
}

TEST_F(RegistryContract, AKeyOpenedForReadingRefusesWrites) {
    Create(key());
    std::unique_ptr<os::RegistryKey> k;
    ASSERT_EQ(registry().OpenKey(Hive::CurrentUser, key(), false, k), os::kErrorSuccess);
    EXPECT_EQ(k->SetValue("x", RegistryValue::Dword(1)), os::kErrorAccessDenied);
}

TEST_F(RegistryContract, TheClassesRootKnowsSettingsFiles) {
    std::unique_ptr<os::RegistryKey> txt;  // .ini is there on Windows and in a fresh Wine prefix
    ASSERT_EQ(registry().OpenKey(Hive::ClassesRoot, ".ini", false, txt), os::kErrorSuccess);
    RegistryValue progId;
    ASSERT_EQ(txt->QueryValue("", progId), os::kErrorSuccess);
    EXPECT_EQ(progId.type, os::kRegSz);
    EXPECT_GT(progId.data.size(), 1u);
    std::unique_ptr<os::RegistryKey> root;
    ASSERT_EQ(registry().OpenKey(Hive::ClassesRoot, "", false, root), os::kErrorSuccess);
    bool sawDotIni = false;
    std::string name;
    for (uint32_t i = 0; root->EnumerateSubkey(i, name) == os::kErrorSuccess; ++i) {
        sawDotIni = sawDotIni || name == ".ini";
    }
    EXPECT_TRUE(sawDotIni);
}

}  // namespace
}  // namespace contract
