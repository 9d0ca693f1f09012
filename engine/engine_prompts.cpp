#include "engine/engine_prompts.h"

#include "engine/path_text.h"
#include "os/errors.h"

namespace engine {

namespace {

os::SystemTime LocalDate(os::Clock& clock, os::FileTime utc) {
    // A zero time stands for now (the system time, as the dialog has always shown it).
    if (utc == 0) {
        return clock.UtcTime();
    }
    return os::FileTimeToSystemTime(clock.ToLocal(utc)).value_or(os::SystemTime{});
}

// What the user chose is stored; should the registry refuse it, the prompt only asks again next
// time, which is all that failure costs.
void StoreChoice(uint32_t result) {
    static_cast<void>(result);
}

}  // namespace

int EnginePrompts::DiskFull(os::FileTime first, os::FileTime last) {
    if (closing_) {
        return kResultCancel;
    }
    const DiskFullChoice choice =
        view_.ShowDiskFull(LocalDate(clock_, first), LocalDate(clock_, last));
    if (!choice.ok) {
        return kResultCancel;
    }
    shared_.stayEnabled = !choice.disable;
    return choice.disable ? kResultCancel : kResultOk;
}

int EnginePrompts::WrongDisk() {
    if (closing_) {
        return kResultCancel;
    }
    const WrongDiskChoice choice = view_.ShowWrongDisk();
    shared_.stayEnabled = true;
    if (!choice.ok) {
        return kResultCancel;
    }
    switch (choice.option) {
        case WrongDiskOption::DoNotWarnAgain:
            StoreChoice(store_.WriteWarningStatus(0));
            return kResultCancel;
        case WrongDiskOption::Disable:
            shared_.stayEnabled = false;  // the raiser closes the program
            return kResultCancel;
        case WrongDiskOption::MakeCurrentDisk:
            return kResultMakeCurrentDisk;
        case WrongDiskOption::InsertMyDisk:
            break;
    }
    return kResultOk;
}

int EnginePrompts::NoDisk() {
    if (closing_) {
        return kResultCancel;
    }
    const NoDiskChoice choice = view_.ShowNoDisk();
    switch (choice.button) {
        case NoDiskButton::DontRemindMe:
            StoreChoice(store_.WriteWarningStatus(0));
            return kResultCancel;
        case NoDiskButton::RemindMeLater:
            StoreChoice(store_.WriteWarningStatus(1));
            return kResultCancel;
        case NoDiskButton::Cancel:
            shared_.stayEnabled = true;
            return kResultCancel;
        case NoDiskButton::Ok:
            break;
    }
    shared_.stayEnabled = true;
    if (choice.option == NoDiskOption::DoNotWarnAgain) {
        StoreChoice(store_.WriteWarningStatus(0));
        return kResultCancel;
    }
    if (choice.option == NoDiskOption::Disable) {
        shared_.stayEnabled = false;
        return kResultCancel;
    }
    return kResultOk;
}

int EnginePrompts::InsertDisk(int driveIcon, const std::string& labelText) {
    if (closing_) {
        return kResultCancel;
    }
    return view_.ShowInsertDisk(driveIcon, labelText) ? kResultOk : kResultCancel;
}

void EnginePrompts::FileTooLarge(const std::string& path) {
    PromptGuard guard(shared_);
    uint32_t show = 0;
    if (!guard.held() || closing_ || store_.ReadTooLargeStatus(show) != os::kErrorSuccess ||
        show != 1) {
        return;
    }
    const NoticeChoice choice =
        view_.ShowFileTooLarge(AbbreviatePath(path, kMessagePathLength, true));
    if (choice.ok) {
        StoreChoice(store_.WriteTooLargeStatus(choice.dontShowAgain ? 0 : 1));
    }
}

bool EnginePrompts::FileError(const std::string& path, uint32_t code) {
    PromptGuard guard(shared_);
    if (!guard.held()) {
        return false;
    }
    uint32_t show = 0;
    if (closing_ || store_.ReadFileErrorStatus(show) != os::kErrorSuccess || show != 1) {
        return true;
    }
    FileErrorDetails details;
    details.path = AbbreviatePath(path, kMessagePathLength, true);
    details.code = code;
    details.systemText = SystemText(code);
    details.driveNote = code == os::kErrorInvalidDrive;
    const NoticeChoice choice = view_.ShowFileError(details);
    if (choice.ok) {
        StoreChoice(store_.WriteFileErrorStatus(choice.dontShowAgain ? 0 : 1));
    }
    return true;
}

void EnginePrompts::LongFileName(const std::string& revisionName) {
    PromptGuard guard(shared_);
    uint32_t show = 0;
    if (!guard.held() || closing_ || store_.ReadFileNameStatus(show) != os::kErrorSuccess ||
        show != 1) {
        return;
    }
    const NoticeChoice choice =
        view_.ShowLongFileName(AbbreviatePath(revisionName, kMessagePathLength, true));
    if (choice.ok) {
        StoreChoice(store_.WriteFileNameStatus(choice.dontShowAgain ? 0 : 1));
    }
}

void EnginePrompts::DiskBecomingFull() {
    if (closing_) {
        return;
    }
    const NoticeChoice choice = view_.ShowDiskBecomingFull();
    if (choice.ok) {
        StoreChoice(store_.WriteBuyStatus(choice.dontShowAgain ? 0 : 1));
    }
}

std::optional<SecretText> EnginePrompts::Password() {
    if (closing_) {
        return std::nullopt;
    }
    return view_.ShowPassword();
}

int EnginePrompts::Protected() {
    if (closing_) {
        return kResultCancel;
    }
    return view_.ShowProtected() ? kResultOk : kResultCancel;
}

void EnginePrompts::WriteProtectSwitch() {
    if (!closing_) {
        view_.ShowWriteProtectSwitch();
    }
}

void EnginePrompts::CloseAll() {
    closing_ = true;
    view_.CloseOpenPrompts();
}

std::string EnginePrompts::SystemText(uint32_t code) {
    std::string text = system_.ErrorMessageText(code);
    if (text.empty()) {
        return "??";
    }
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    // At most 260 characters, cut at a character boundary.
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++characters > 260) {
            text.resize(i);
            break;
        }
    }
    return text;
}

}  // namespace engine
