// The exclusion list: matching extensions, what a typed extension becomes, and the registered
// file types offered from HKEY_CLASSES_ROOT.

#include "settings/exclusion_list.h"

#include <gtest/gtest.h>

#include "os/sim/sim_machine.h"

namespace settings {
namespace {

TEST(ExclusionList, MatchesTheTextAfterTheLastDotIgnoringCase) {
    const std::vector<std::string> filter = {"doc", "TMP"};
    EXPECT_TRUE(IsExcluded("C:\\Data\\Report.DOC", filter));
    EXPECT_TRUE(IsExcluded("C:\\Data\\x.tmp", filter));
    EXPECT_FALSE(IsExcluded("C:\\Data\\x.tmp.bak", filter));
    EXPECT_FALSE(IsExcluded("C:\\Data\\doc", filter));
    EXPECT_FALSE(IsExcluded("C:\\My.doc\\README", filter));  // a folder's dot is not the file's
    EXPECT_FALSE(IsExcluded("C:\\Data\\x.docx", filter));
    EXPECT_FALSE(IsExcluded("C:\\Data\\Report.doc", {}));
}

TEST(ExclusionList, EntriesWithDotsAndInAnyScript) {
    EXPECT_TRUE(IsExcluded("C:\\a\\backup.TAR.gz", {"tar.gz"}));
    EXPECT_FALSE(IsExcluded("C:\\a\\backup.gz", {"tar.gz"}));
    EXPECT_TRUE(IsExcluded("C:\\a\\x.doc", {".doc"}));  // a stray dot on the entry
    EXPECT_FALSE(IsExcluded("C:\\a\\x.", {""}));        // an empty entry excludes nothing
    EXPECT_TRUE(IsExcluded("C:\\a\\Übung.ÄRGER", {"ärger"}));
    EXPECT_TRUE(IsExcluded("C:\\a\\画像.写真", {"写真"}));
}

TEST(ExclusionList, ATypedExtensionLosesEverythingUpToItsFirstDot) {
    EXPECT_EQ(NormalizeExtension(".doc"), "doc");
    EXPECT_EQ(NormalizeExtension("doc"), "doc");
    EXPECT_EQ(NormalizeExtension("file.doc"), "doc");
    EXPECT_EQ(NormalizeExtension("a.b.c"), "b.c");
    EXPECT_EQ(NormalizeExtension("archive.tar.gz"), "tar.gz");
    EXPECT_EQ(NormalizeExtension(" .jpg "), "jpg");
    EXPECT_EQ(NormalizeExtension(""), "");
    EXPECT_EQ(NormalizeExtension("."), "");
}

class FileTypesTest : public ::testing::Test {
  protected:
    void Register(const std::string& extension, const std::string& programId,
                  const std::string& description) {
        sim.registry().Put(os::Hive::ClassesRoot, extension, "",
                           os::RegistryValue::String(programId));
        if (!description.empty()) {
            sim.registry().Put(os::Hive::ClassesRoot, programId, "",
                               os::RegistryValue::String(description));
        }
    }
    std::vector<KnownFileType> Enumerate() {
        std::vector<KnownFileType> types = {{"stale", "entry"}};
        EnumerateFileTypes(sim.machine().registry, types);
        return types;
    }
    os::sim::SimMachine sim;
};

TEST_F(FileTypesTest, OffersTheRegisteredTypesInRegistryOrder) {
    const std::vector<KnownFileType> expected = {
        {"bmp", "Bitmap image"},           {"doc", "Microsoft Word 97 - 2003 Document"},
        {"ini", "Configuration settings"}, {"jpeg", "JPEG image"},
        {"txt", "Text Document"},          {"zip", "Compressed (zipped) Folder"},
    };
    EXPECT_EQ(Enumerate(), expected);  // .tmp has no program identifier
}

TEST_F(FileTypesTest, LeavesOutLongExtensionsMissingDescriptionsAndOddValues) {
    Register(".torrent2", "Torrent", "Torrent file");  // 9 characters with its dot
    Register(".abcdef", "Six", "Six letters");         // 7: offered
    Register(".ghost", "Ghost.Missing", "");           // its program key does not exist
    Register(".long", "Long", std::string(400, 'd'));  // description too long
    Register(".ok399", "Ok", std::string(399, 'd'));
    sim.registry().Put(os::Hive::ClassesRoot, "NotAType", "", os::RegistryValue::String("x"));
    sim.registry().Put(os::Hive::ClassesRoot, ".num", "", os::RegistryValue::Dword(7));
    const std::vector<KnownFileType> types = Enumerate();
    std::vector<std::string> extensions;
    for (const KnownFileType& t : types) {
        extensions.push_back(t.extension);
    }
    EXPECT_EQ(extensions, (std::vector<std::string>{"abcdef", "bmp", "doc", "ini", "jpeg", "ok399",
                                                    "txt", "zip"}));
}

TEST_F(FileTypesTest, ARegistryFailureOnlySkipsThatType) {
    sim.FailOperation(os::sim::SimOperation::RegistryOpen, "HKCR\\jpegfile", 5);
    const std::vector<KnownFileType> types = Enumerate();
    ASSERT_EQ(types.size(), 5u);
    EXPECT_EQ(types[3].extension, "txt");
    sim.ClearFaults();
    sim.FailOperation(os::sim::SimOperation::RegistryOpen, "HKCR*", 5, 1);
    EXPECT_TRUE(Enumerate().empty());  // the root cannot be opened: nothing is offered
}

}  // namespace
}  // namespace settings
