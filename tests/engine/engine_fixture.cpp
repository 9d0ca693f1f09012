#include "tests/engine/engine_fixture.h"

#include <cstdio>

#include "os/errors.h"

namespace engine::testing {

void ScriptedUser::Attach(os::Clock& clock) {
    clock_ = &clock;
    closed_ = clock.CreateEvent(true, false);
}

bool ScriptedUser::Note(const std::string& prompt) {
    bool open = false;
    {
        std::lock_guard lock(mutex_);
        shown.push_back(prompt);
        open = leftOpen.count(prompt) != 0 && closed_;
    }
    if (open) {
        clock_->Wait(*closed_, os::kInfinite);
        return true;
    }
    if (beforeAnswer) {
        beforeAnswer(prompt);
    }
    return false;
}

void ScriptedUser::CloseOpenPrompts() {
    std::lock_guard lock(mutex_);
    ++closeRequests;
    if (closed_) {
        closed_->Set();
    }
}

int ScriptedUser::Count(const std::string& prompt) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(shown.begin(), shown.end(), prompt));
}

template <typename T>
T ScriptedUser::Next(std::deque<T>& queue, const char* prompt, T fallback) {
    std::lock_guard lock(mutex_);
    if (queue.empty()) {
        if (!answerAnything) {
            ADD_FAILURE() << "prompt " << prompt << " was not expected";
        }
        return fallback;
    }
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

DiskFullChoice ScriptedUser::ShowDiskFull(const os::SystemTime& first, const os::SystemTime& last) {
    {
        std::lock_guard lock(mutex_);
        diskFullDates.push_back(first);
        diskFullDates.push_back(last);
    }
    if (Note("104")) {
        return {};
    }
    return Next(diskFull, "104", DiskFullChoice{});
}

WrongDiskChoice ScriptedUser::ShowWrongDisk() {
    if (Note("115")) {
        return {};
    }
    return Next(wrongDisk, "115", WrongDiskChoice{});
}

NoDiskChoice ScriptedUser::ShowNoDisk() {
    if (Note("160")) {
        return {};
    }
    return Next(noDisk, "160", NoDiskChoice{});
}

bool ScriptedUser::ShowInsertDisk(int driveIcon, const std::string& labelText) {
    {
        std::lock_guard lock(mutex_);
        insertDiskIcon = driveIcon;
        insertDiskLabel = labelText;
    }
    if (Note("136")) {
        return false;
    }
    return Next(insertDisk, "136", false);
}

NoticeChoice ScriptedUser::Notice(const char* prompt, const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        noticeTexts.push_back(text);
    }
    if (Note(prompt)) {
        return {};
    }
    return Next(notices, prompt, NoticeChoice{});
}

NoticeChoice ScriptedUser::ShowFileTooLarge(const std::string& path) {
    return Notice("162", path);
}

NoticeChoice ScriptedUser::ShowFileError(const FileErrorDetails& details) {
    {
        std::lock_guard lock(mutex_);
        fileErrors.push_back(details);
    }
    return Notice("163", details.path);
}

NoticeChoice ScriptedUser::ShowLongFileName(const std::string& name) {
    return Notice("164", name);
}

NoticeChoice ScriptedUser::ShowDiskBecomingFull() {
    return Notice("202", "");
}

std::optional<SecretText> ScriptedUser::ShowPassword() {
    if (Note("203")) {
        return std::nullopt;
    }
    std::optional<std::string> typed = Next(passwords, "203", std::optional<std::string>{});
    if (!typed) {
        return std::nullopt;
    }
    return SecretText(*typed);
}

bool ScriptedUser::ShowProtected() {
    if (Note("204")) {
        return false;
    }
    return Next(protectedDisk, "204", false);
}

void ScriptedUser::ShowWriteProtectSwitch() {
    Note("205");
}

int ScriptedProgress::RunProgressDialog(ProgressState& state, os::Clock& clock) {
    ++shownCount;
    if (whileShown) {
        whileShown();
    }
    const uint64_t start = clock.TickCount();
    while (state.percent < 100) {
        clock.Sleep(1000);
        if (cancelAfterMs != 0 && clock.TickCount() - start >= cancelAfterMs) {
            state.cancelled = true;
            state.percent = 100;
            return kResultCancel;
        }
    }
    return kResultOk;
}

void RecordingMainWindow::Add(const std::string& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
}

std::vector<std::string> RecordingMainWindow::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

int RecordingMainWindow::Count(const std::string& message) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(messages_.begin(), messages_.end(), message));
}

EngineFixture::EngineFixture() {
    participation_ = std::make_unique<os::sim::SimClock::Participation>(sim.clock());
    user.Attach(sim.clock());
    drvKit::sim::SimDriveSpec setup;
    setup.subFamily = 7;
    drives->AddDrive('F', setup);
    drives->InsertDisk('F', NewDisk(1));
}

EngineFixture::~EngineFixture() {
    engine.reset();
    participation_.reset();
}

std::string EngineFixture::Identifier(int number) const {
    char text[16];
    std::snprintf(text, sizeof text, "0000-%04X", static_cast<unsigned>(number));
    return text;
}

std::shared_ptr<drvKit::sim::SimDisk> EngineFixture::NewDisk(int number, uint64_t capacity,
                                                             drvKit::EProtectState protection,
                                                             const std::string& password) {
    drvKit::sim::SimDiskSpec setup;
    setup.label = "BACKUP" + std::to_string(number);
    setup.serialNumber = static_cast<uint32_t>(number);
    setup.capacityBytes = capacity;
    setup.protection = protection;
    setup.password = password;
    return drives->CreateDisk(setup);
}

void EngineFixture::Configure(const std::vector<std::string>& sources,
                              const std::string& destination) {
    ASSERT_EQ(store_.WriteDestination(destination), 0u);
    ASSERT_EQ(store_.WriteSourceList(sources), 0u);
    ASSERT_EQ(store_.WriteRevisions(0), 0u);
    ASSERT_EQ(store_.WriteIconStatus(1), 0u);
    ASSERT_EQ(store_.WriteStartTime(0), 0u);
    for (auto write : {&settings::CKRVSettingsStore::WriteTooLargeStatus,
                       &settings::CKRVSettingsStore::WriteFileErrorStatus,
                       &settings::CKRVSettingsStore::WriteFileNameStatus,
                       &settings::CKRVSettingsStore::WriteNotCurrentStatus,
                       &settings::CKRVSettingsStore::WriteBuyStatus,
                       &settings::CKRVSettingsStore::WriteMirrorStatus,
                       &settings::CKRVSettingsStore::WriteWarningStatus}) {
        (store_.*write)(1);
    }
    ASSERT_EQ(store_.WriteDiskId("0"), 0u);
}

CKRVMirrorEngine& EngineFixture::MakeEngine() {
    EngineServices services{sim.machine(), shared,  sharedDrives,          mainWindow, user,
                            progress,      nullptr, settings::kProductKey, ""};
    engine = std::make_unique<CKRVMirrorEngine>(services);
    return *engine;
}

std::map<std::string, std::string> EngineFixture::DiskFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const os::sim::SimEntry& entry : sim.files().ListTree(folder)) {
        if (!entry.directory) {
            files[entry.relativePath] = entry.contents;
        }
    }
    return files;
}

void EngineFixture::Put(const std::string& path, const std::string& contents) {
    ASSERT_EQ(sim.files().PutFile(path, contents), os::kErrorSuccess) << path;
}

}  // namespace engine::testing
