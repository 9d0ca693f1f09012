// Who sees which notice when: the prompt guard, the "show" settings, what the choices write.

#include "engine/engine_prompts.h"

#include "engine/secret_text.h"
#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

class EnginePromptsTest : public EngineFixture {
  protected:
    EnginePrompts prompts{user, store(), shared, sim.clock(), sim.system()};
};

TEST_F(EnginePromptsTest, AFileNoticeShowsOnlyWhenItsSettingReadsOne) {
    prompts.FileError("C:\\a.doc", 5);  // "FileError Status" absent
    EXPECT_TRUE(user.shown.empty());
    ASSERT_EQ(store().WriteFileErrorStatus(1), 0u);
    user.notices = {{true, false}};
    prompts.FileError("C:\\a.doc", 5);
    EXPECT_EQ(user.Count("163"), 1);
    ASSERT_EQ(user.fileErrors.size(), 1u);
    EXPECT_EQ(user.fileErrors[0].code, 5u);
    EXPECT_EQ(user.fileErrors[0].systemText, "Access is denied.  ");
    EXPECT_FALSE(user.fileErrors[0].driveNote);
    EXPECT_FALSE(shared.promptActive);  // given back
}

TEST_F(EnginePromptsTest, TickingDontShowAgainTurnsTheNoticeOff) {
    ASSERT_EQ(store().WriteTooLargeStatus(1), 0u);
    user.notices = {{true, true}};
    prompts.FileTooLarge("C:\\huge.iso");
    uint32_t show = 9;
    ASSERT_EQ(store().ReadTooLargeStatus(show), 0u);
    EXPECT_EQ(show, 0u);
    prompts.FileTooLarge("C:\\huge.iso");
    EXPECT_EQ(user.Count("162"), 1);
    // Closed without OK: the box does not count.
    ASSERT_EQ(store().WriteFileNameStatus(1), 0u);
    user.notices = {{false, true}};
    prompts.LongFileName("F:\\x");
    ASSERT_EQ(store().ReadFileNameStatus(show), 0u);
    EXPECT_EQ(show, 1u);
}

TEST_F(EnginePromptsTest, ANoticeIsSkippedWhileAnotherWindowHoldsTheGuard) {
    ASSERT_EQ(store().WriteFileErrorStatus(1), 0u);
    ASSERT_TRUE(shared.TryEnterPrompt());
    prompts.FileError("C:\\a.doc", 32);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_TRUE(shared.promptActive);
    shared.LeavePrompt();
}

TEST_F(EnginePromptsTest, AMissingDriveGetsItsNoteAndPathsAreShortened) {
    ASSERT_EQ(store().WriteFileErrorStatus(1), 0u);
    user.notices = {{true, false}};
    const std::string path = "C:\\Users\\User\\Documents\\Projects\\2026\\Quarterly\\report.doc";
    prompts.FileError(path, os::kErrorInvalidDrive);
    ASSERT_EQ(user.fileErrors.size(), 1u);
    EXPECT_TRUE(user.fileErrors[0].driveNote);
    EXPECT_EQ(user.fileErrors[0].path, "C:\\Users\\...\\2026\\Quarterly\\report.doc");
    EXPECT_EQ(prompts.SystemText(0x2FFFFFFF), "??");
}

TEST_F(EnginePromptsTest, TheDiskPromptsChoicesSetTheStayEnabledFlagAndWarnings) {
    user.noDisk = {{NoDiskButton::Ok, NoDiskOption::Disable},
                   {NoDiskButton::Cancel, NoDiskOption::Disable}};
    EXPECT_EQ(prompts.NoDisk(), kResultCancel);
    EXPECT_FALSE(shared.stayEnabled);
    EXPECT_EQ(prompts.NoDisk(), kResultCancel);
    EXPECT_TRUE(shared.stayEnabled);  // Cancel keeps the program on, whatever the radio
    user.diskFull = {{true, true}, {true, false}};
    EXPECT_EQ(prompts.DiskFull(0, 0), kResultCancel);
    EXPECT_FALSE(shared.stayEnabled);
    EXPECT_EQ(prompts.DiskFull(0, 0), kResultOk);
    EXPECT_TRUE(shared.stayEnabled);
    user.wrongDisk = {{true, WrongDiskOption::MakeCurrentDisk}};
    EXPECT_EQ(prompts.WrongDisk(), kResultMakeCurrentDisk);
}

TEST_F(EnginePromptsTest, TheBecomingFullNoticeWritesItsSetting) {
    user.notices = {{true, true}};
    prompts.DiskBecomingFull();
    uint32_t buy = 1;
    ASSERT_EQ(store().ReadBuyStatus(buy), 0u);
    EXPECT_EQ(buy, 0u);
}

TEST(SecretText, ItsBytesAreGoneOnceWipedOrMovedFrom) {
    SecretText password("correct horse battery staple");
    const std::string& held = password.text();
    const char* bytes = held.data();
    const size_t length = held.size();
    password.Wipe();
    EXPECT_TRUE(password.empty());
    for (size_t i = 0; i < length; ++i) {
        EXPECT_EQ(bytes[i], '\0');  // the buffer is still the string's own: no use after free
    }
    SecretText shortOne("pin");
    SecretText moved = std::move(shortOne);
    EXPECT_TRUE(shortOne.empty());  // NOLINT: moved-from on purpose
    EXPECT_EQ(moved.text(), "pin");
}

class DiskFullGuardTest : public EngineFixture {};

TEST_F(DiskFullGuardTest, WhileAnotherWindowIsUpTheSwapWaitsASecondAndAsksForARetry) {
    Configure();
    MakeEngine();
    ASSERT_TRUE(shared.TryEnterPrompt());
    const uint64_t before = sim.clock().TickCount();
    EXPECT_EQ(engine->DiskFullHandler(0, 0, 1000, "F:", 0), os::kErrorRetry);  // the same disk
    EXPECT_EQ(sim.clock().TickCount() - before, 1000u);
    EXPECT_TRUE(user.shown.empty());
    shared.LeavePrompt();
}

}  // namespace
}  // namespace engine::testing
