#pragma once
// A whole simulated machine for the engine: drive C: with the user's folders, a removable drive F:
// of the maker with a backup disk in it, a scripted user who answers the prompts, a progress
// dialog that waits for the end of the copy, and a main window that records what it is sent.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "engine/mirror_engine.h"
#include "os/sim/sim_machine.h"

namespace engine::testing {

// Answers the prompts from queues the test fills; a prompt without a queued answer is a test
// failure and is answered with Cancel.
class ScriptedUser final : public PromptView {
  public:
    std::vector<std::string> shown;  // "104", "115", ... in order
    std::deque<DiskFullChoice> diskFull;
    std::deque<WrongDiskChoice> wrongDisk;
    std::deque<NoDiskChoice> noDisk;
    std::deque<bool> insertDisk;
    std::deque<NoticeChoice> notices;  // 162, 163, 164, 202
    std::deque<std::optional<std::string>> passwords;
    std::deque<bool> protectedDisk;
    std::vector<os::SystemTime> diskFullDates;  // first, last of each 104
    std::vector<FileErrorDetails> fileErrors;
    std::vector<std::string> noticeTexts;
    int insertDiskIcon = -1;
    std::string insertDiskLabel;
    // Called with the prompt's number before it is answered (a test may change the drives, as a
    // user does who swaps disks before pressing OK).
    std::function<void(const std::string&)> beforeAnswer;
    // Prompts without a queued answer get the one a user who closes every dialog gives (Cancel,
    // no box ticked), without failing the test.
    bool answerAnything = false;
    // Prompts the user leaves on screen until the program closes them (or the test does, with
    // CloseOpenPrompts); they then give their Cancel outcome. Needs Attach.
    std::set<std::string> leftOpen;
    int closeRequests = 0;
    void Attach(os::Clock& clock);

    DiskFullChoice ShowDiskFull(const os::SystemTime& first, const os::SystemTime& last) override;
    WrongDiskChoice ShowWrongDisk() override;
    NoDiskChoice ShowNoDisk() override;
    bool ShowInsertDisk(int driveIcon, const std::string& labelText) override;
    NoticeChoice ShowFileTooLarge(const std::string& path) override;
    NoticeChoice ShowFileError(const FileErrorDetails& details) override;
    NoticeChoice ShowLongFileName(const std::string& name) override;
    NoticeChoice ShowDiskBecomingFull() override;
    std::optional<SecretText> ShowPassword() override;
    bool ShowProtected() override;
    void ShowWriteProtectSwitch() override;
    void CloseOpenPrompts() override;

    int Count(const std::string& prompt) const;

  private:
    // Notes the prompt; true when it was left open and has been closed since (no answer).
    bool Note(const std::string& prompt);
    template <typename T>
    T Next(std::deque<T>& queue, const char* prompt, T fallback);
    NoticeChoice Notice(const char* prompt, const std::string& text);
    mutable std::mutex mutex_;
    os::Clock* clock_ = nullptr;
    std::unique_ptr<os::Event> closed_;
};

// The progress dialog: waits for 100 % (or cancels after `cancelAfterMs` of virtual time).
class ScriptedProgress final : public ProgressView {
  public:
    int shownCount = 0;
    uint32_t cancelAfterMs = 0;  // 0: never
    // Runs on the dialog's thread as it opens (the user does something while the pass runs).
    std::function<void()> whileShown;
    int RunProgressDialog(ProgressState& state, os::Clock& clock) override;
};

class RecordingMainWindow final : public MainWindowLink {
  public:
    explicit RecordingMainWindow(const SharedState& shared) : shared_(shared) {}
    void PostOpen() override { Add("open"); }
    void PostAnimateStart() override { Add("start"); }
    void PostAnimateStop() override { Add("stop"); }
    // The window ignores a close while the prompt guard is held: such a close is recorded as
    // "ignored close".
    void PostClose() override { Add(shared_.promptActive ? "ignored close" : "close"); }
    std::vector<std::string> Messages() const;
    int Count(const std::string& message) const;

  private:
    void Add(const std::string& message);
    const SharedState& shared_;
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

class EngineFixture : public ::testing::Test {
  protected:
    static constexpr char kKey[] = "Software\\Corvant Ferrolin 2";
    EngineFixture();
    ~EngineFixture() override;

    // The settings the setup wizard stores, with the source folders and destination given.
    void Configure(const std::vector<std::string>& sources = {"C:\\Users\\User\\Documents"},
                   const std::string& destination = "F:\\");
    // Makes the engine (after the settings are in place, as at program start).
    CKRVMirrorEngine& MakeEngine();
    // A disk for F:, labelled and numbered (identifier "0000-000n").
    std::shared_ptr<drvKit::sim::SimDisk> NewDisk(
        int number, uint64_t capacity = 64ULL << 20,
        drvKit::EProtectState protection = drvKit::kProtectNone, const std::string& password = {});
    std::string Identifier(int number) const;
    // The files under a folder of the backup disk: relative path -> contents.
    std::map<std::string, std::string> DiskFiles(const std::string& folder = "F:\\");
    void Put(const std::string& path, const std::string& contents);
    settings::CKRVSettingsStore& store() { return store_; }

    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit drives{sim.files()};
    SharedState shared;
    SharedDrives sharedDrives;
    ScriptedUser user;
    ScriptedProgress progress;
    RecordingMainWindow mainWindow{shared};
    std::unique_ptr<CKRVMirrorEngine> engine;

  private:
    settings::CKRVSettingsStore store_{sim.machine().registry};
    std::unique_ptr<os::sim::SimClock::Participation> participation_;
};

}  // namespace engine::testing
