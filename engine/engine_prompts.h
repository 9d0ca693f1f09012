#pragma once
// The engine's prompts as the engine raises them: each call shows its dialog through the user
// interface's PromptView and applies what the choice means (the settings it writes, the
// stay-enabled flag) and returns the dialog's result (1 OK, 2 Cancel, 1045 adopt the disk).
// The notices about single files are raised only when no other prompt is on screen and their
// setting reads 1; the others leave the prompt guard to their callers.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/prompt_view.h"
#include "engine/shared_state.h"
#include "os/clock.h"
#include "os/system.h"
#include "settings/settings_store.h"

namespace engine {

// Messages shorten paths to this many characters, keeping at least the file name.
inline constexpr size_t kMessagePathLength = 42;

class EnginePrompts {
  public:
    EnginePrompts(PromptView& view, const settings::CKRVSettingsStore& store, SharedState& shared,
                  os::Clock& clock, os::System& system)
        : view_(view), store_(store), shared_(shared), clock_(clock), system_(system) {}

    // 104, with the period the full disk covers (zero times are now); 1 or 2.
    int DiskFull(os::FileTime first, os::FileTime last);
    // 115: 1 look again, 2 give up, 1045 adopt the disk in the drive.
    int WrongDisk();
    // 160: 1 look again, 2 give up.
    int NoDisk();
    // 136: 1 adopt the disk in the drive, 2 remind me later.
    int InsertDisk(int driveIcon, const std::string& labelText);
    // 162, 163, 164: shown only when no other prompt is up and the setting reads 1. FileError
    // is true when the notice was dealt with (shown, or its setting says not to show it), false
    // when another window held the prompt guard.
    void FileTooLarge(const std::string& path);
    bool FileError(const std::string& path, uint32_t code);
    void LongFileName(const std::string& revisionName);
    // 202: after a pass, when "Buy Status" reads 1.
    void DiskBecomingFull();
    // 203: the password, or nothing for Cancel.
    std::optional<SecretText> Password();
    // 204: 1 or 2.
    int Protected();
    // 205: the disk's own write-protect switch must be moved. The caller holds the guard.
    void WriteProtectSwitch();

    // The engine is ending: the prompt on screen is closed as Cancel, and every prompt asked for
    // from now on gives its Cancel outcome without showing.
    void CloseAll();
    // The system's text for a code as the file-error prompt shows it: line breaks become spaces,
    // at most 260 characters, "??" when there is none.
    std::string SystemText(uint32_t code);

  private:
    PromptView& view_;
    const settings::CKRVSettingsStore& store_;
    SharedState& shared_;
    os::Clock& clock_;
    os::System& system_;
    std::atomic<bool> closing_{false};
};

}  // namespace engine
