// What each answer to the engine's prompts leaves behind (the warning settings, the stay-enabled
// flag, the result the engine acts on), and that a closing engine asks nobody anything.

#include "engine/engine_prompts.h"
#include "os/errors.h"
#include "os/system.h"
#include "os/text.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

class PromptChoicesTest : public EngineFixture {
  protected:
    PromptChoicesTest() { Configure(); }
    uint32_t Warnings() {
        uint32_t value = 9;
        static_cast<void>(store().ReadWarningStatus(value));
        return value;
    }
    EnginePrompts prompts{user, store(), shared, sim.clock(), sim.system()};
};

TEST_F(PromptChoicesTest, OnceClosingEveryPromptGivesItsCancelOutcomeWithoutShowing) {
    prompts.CloseAll();
    EXPECT_EQ(user.closeRequests, 1);
    EXPECT_EQ(prompts.DiskFull(0, 0), kResultCancel);
    EXPECT_EQ(prompts.WrongDisk(), kResultCancel);
    EXPECT_EQ(prompts.NoDisk(), kResultCancel);
    EXPECT_EQ(prompts.InsertDisk(121, "BACKUP1 (F:)"), kResultCancel);
    EXPECT_FALSE(prompts.Password().has_value());
    EXPECT_EQ(prompts.Protected(), kResultCancel);
    prompts.WriteProtectSwitch();
    prompts.DiskBecomingFull();
    prompts.FileTooLarge("C:\\huge.iso");
    prompts.LongFileName("F:\\x.(1).doc");
    EXPECT_TRUE(prompts.FileError("C:\\a.doc", 5));  // dealt with: nobody is asked again
    EXPECT_TRUE(user.shown.empty());
    EXPECT_FALSE(shared.promptActive);
    EXPECT_EQ(Warnings(), 1u);  // nothing written either
}

TEST_F(PromptChoicesTest, TheWrongDiskPromptsOptions) {
    user.wrongDisk = {{true, WrongDiskOption::InsertMyDisk},
                      {false, WrongDiskOption::MakeCurrentDisk},
                      {true, WrongDiskOption::Disable},
                      {true, WrongDiskOption::DoNotWarnAgain}};
    EXPECT_EQ(prompts.WrongDisk(), kResultOk);
    EXPECT_TRUE(shared.stayEnabled);
    EXPECT_EQ(prompts.WrongDisk(), kResultCancel);  // closed: the option does not count
    EXPECT_EQ(Warnings(), 1u);
    EXPECT_EQ(prompts.WrongDisk(), kResultCancel);
    EXPECT_FALSE(shared.stayEnabled);
    EXPECT_EQ(Warnings(), 1u);
    EXPECT_EQ(prompts.WrongDisk(), kResultCancel);
    EXPECT_TRUE(shared.stayEnabled);
    EXPECT_EQ(Warnings(), 0u);
}

TEST_F(PromptChoicesTest, TheNoDiskPromptsButtonsAndOptions) {
    user.noDisk = {{NoDiskButton::DontRemindMe, NoDiskOption::InsertMyDisk},
                   {NoDiskButton::RemindMeLater, NoDiskOption::InsertMyDisk},
                   {NoDiskButton::Ok, NoDiskOption::DoNotWarnAgain},
                   {NoDiskButton::Ok, NoDiskOption::InsertMyDisk}};
    EXPECT_EQ(prompts.NoDisk(), kResultCancel);
    EXPECT_EQ(Warnings(), 0u);
    EXPECT_EQ(prompts.NoDisk(), kResultCancel);
    EXPECT_EQ(Warnings(), 1u);
    EXPECT_EQ(prompts.NoDisk(), kResultCancel);
    EXPECT_EQ(Warnings(), 0u);
    EXPECT_TRUE(shared.stayEnabled);
    EXPECT_EQ(prompts.NoDisk(), kResultOk);
    EXPECT_EQ(Warnings(), 0u);  // looking again does not turn the warnings back on
}

TEST_F(PromptChoicesTest, TheDiskAndPasswordPromptsPassTheAnswerOn) {
    user.insertDisk = {true, false};
    EXPECT_EQ(prompts.InsertDisk(121, "BACKUP1 (F:)"), kResultOk);
    EXPECT_EQ(prompts.InsertDisk(121, "BACKUP1 (F:)"), kResultCancel);
    user.protectedDisk = {true, false};
    EXPECT_EQ(prompts.Protected(), kResultOk);
    EXPECT_EQ(prompts.Protected(), kResultCancel);
    user.passwords = {std::string("s3cret")};
    const std::optional<SecretText> typed = prompts.Password();
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(typed->text(), "s3cret");
    prompts.WriteProtectSwitch();
    EXPECT_EQ(user.Count("205"), 1);
}

// The file notices: each shows only with its setting at 1 and the guard free; OK with the box
// ticked turns it off, OK without leaves it on.
TEST_F(PromptChoicesTest, TheFileNoticesFollowTheirSettingsAndTheGuard) {
    EXPECT_EQ(store().WriteTooLargeStatus(0), 0u);
    EXPECT_EQ(store().WriteFileNameStatus(0), 0u);
    EXPECT_EQ(store().WriteFileErrorStatus(0), 0u);
    prompts.FileTooLarge("C:\\huge.iso");
    prompts.LongFileName("F:\\x.(1).doc");
    EXPECT_TRUE(prompts.FileError("C:\\a.doc", 5));
    EXPECT_TRUE(user.shown.empty());

    EXPECT_EQ(store().WriteTooLargeStatus(1), 0u);
    EXPECT_EQ(store().WriteFileNameStatus(1), 0u);
    EXPECT_EQ(store().WriteFileErrorStatus(1), 0u);
    ASSERT_TRUE(shared.TryEnterPrompt());  // another window is up
    prompts.FileTooLarge("C:\\huge.iso");
    prompts.LongFileName("F:\\x.(1).doc");
    EXPECT_FALSE(prompts.FileError("C:\\a.doc", 5));  // not dealt with: the caller tries later
    EXPECT_TRUE(user.shown.empty());
    shared.LeavePrompt();

    user.notices = {{true, false}, {true, false}, {true, true}, {true, true}};
    prompts.FileTooLarge("C:\\huge.iso");
    prompts.LongFileName("F:\\x.(1).doc");
    prompts.LongFileName("F:\\x.(2).doc");
    EXPECT_TRUE(prompts.FileError("C:\\a.doc", 5));
    EXPECT_EQ(user.shown, (std::vector<std::string>{"162", "164", "164", "163"}));
    uint32_t tooLarge = 9;
    uint32_t fileName = 9;
    uint32_t fileError = 9;
    static_cast<void>(store().ReadTooLargeStatus(tooLarge));
    static_cast<void>(store().ReadFileNameStatus(fileName));
    static_cast<void>(store().ReadFileErrorStatus(fileError));
    EXPECT_EQ(tooLarge, 1u);
    EXPECT_EQ(fileName, 0u);
    EXPECT_EQ(fileError, 0u);
    prompts.LongFileName("F:\\x.(3).doc");
    EXPECT_EQ(user.Count("164"), 2);
}

TEST_F(PromptChoicesTest, TheSystemTextIsOneLine) {
    // Every text the file-error notice can show: no line break, and none over 260 characters.
    for (uint32_t code : {os::kErrorFileNotFound, os::kErrorAccessDenied,
                          os::kErrorSharingViolation, os::kErrorOperationAborted}) {
        const std::string text = prompts.SystemText(code);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code;
        EXPECT_LE(text.size(), 260u) << code;
        EXPECT_NE(text, "??") << code;
    }
}

// A system whose texts are long and not English, as a localised Windows gives them.
class WordySystem final : public os::System {
  public:
    std::string text;
    uint64_t PhysicalMemory() override { return 1ULL << 30; }
    uint32_t ShutDown() override { return 0; }
    std::string ProgramPath() override { return "C:\\Ferrolin2.exe"; }
    std::string LocalAppDataFolder() override { return {}; }
    std::string ErrorMessageText(uint32_t) override { return text; }
};

TEST_F(PromptChoicesTest, ALongSystemTextIsCutAt260CharactersNotInsideOne) {
    WordySystem system;
    EnginePrompts wordy{user, store(), shared, sim.clock(), system};
    std::string line;
    for (int i = 0; i < 150; ++i) {
        line += "\xC3\xA9\xE2\x82\xAC";  // "é€": two characters, five bytes
    }
    system.text = line + "\r\n";
    const std::string shown = wordy.SystemText(5);
    EXPECT_EQ(shown, line.substr(0, 130 * 5));
    EXPECT_TRUE(os::IsWellFormed(shown));
    system.text = "Zugriff verweigert\r\n";
    EXPECT_EQ(wordy.SystemText(5), "Zugriff verweigert  ");
}

}  // namespace
}  // namespace engine::testing
