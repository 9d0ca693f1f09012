#pragma once
// What the engine asks of the user interface when it needs the user: one call per prompt, given
// what the dialog shows and returning what the user chose. The dialogs only draw and collect;
// the engine (prompts.h) decides when each is raised, what a choice means, and which settings it
// writes. Each call runs its dialog modally on the calling thread (the engine's worker), without
// an owner window. Closing a dialog with its close button counts as Cancel.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/secret_text.h"
#include "os/file_time.h"

namespace engine {

// Dialog results as the engine passes them on.
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;
inline constexpr int kResultMakeCurrentDisk = 1045;

// Disk full (104): OK with "Insert a new disk and continue." (1027) or "Disable" (1029), or
// Cancel.
struct DiskFullChoice {
    bool ok = false;
    bool disable = false;
};

// Wrong disk (115): the radio chosen when OK closed it.
enum class WrongDiskOption {
    InsertMyDisk,     // 1027, preset
    MakeCurrentDisk,  // 1030
    DoNotWarnAgain,   // 1028
    Disable,          // 1029
};
struct WrongDiskChoice {
    bool ok = false;
    WrongDiskOption option = WrongDiskOption::InsertMyDisk;
};

// No disk (160): which button closed it and the radio chosen.
enum class NoDiskButton { Ok, Cancel, RemindMeLater /* 1071 */, DontRemindMe /* 1072 */ };
enum class NoDiskOption {
    InsertMyDisk,    // 1027, preset
    DoNotWarnAgain,  // 1028
    Disable,         // 1029
};
struct NoDiskChoice {
    NoDiskButton button = NoDiskButton::Cancel;
    NoDiskOption option = NoDiskOption::InsertMyDisk;
};

// The notices with a "Don't show this again" box (162, 163, 164, 202).
struct NoticeChoice {
    bool ok = false;             // closed with OK (the box counts only then)
    bool dontShowAgain = false;  // the box was ticked
};

// File error (163): %1 the path (already shortened to 42 characters), %2 the code, %3 the
// system's text for it ("??" when it has none; line breaks already replaced by spaces). The note
// is string 57682 when driveNote is set (code 15), a blank otherwise.
struct FileErrorDetails {
    std::string path;
    uint32_t code = 0;
    std::string systemText;
    bool driveNote = false;
};

class PromptView {
  public:
    virtual ~PromptView() = default;

    // 104: the disk holds files from `first` to `last` (local dates; the dialog writes them with
    // string 57674 into string 57675).
    virtual DiskFullChoice ShowDiskFull(const os::SystemTime& first,
                                        const os::SystemTime& last) = 0;
    // 115.
    virtual WrongDiskChoice ShowWrongDisk() = 0;
    // 160.
    virtual NoDiskChoice ShowNoDisk() = 0;
    // 136 for the drive with this label text; driveIcon is the icon resource (119..126) or 0 for
    // none. True for OK, false for "Remind me later" or close.
    virtual bool ShowInsertDisk(int driveIcon, const std::string& labelText) = 0;
    // 162 with the path (shortened to 42 characters).
    virtual NoticeChoice ShowFileTooLarge(const std::string& path) = 0;
    // 163.
    virtual NoticeChoice ShowFileError(const FileErrorDetails& details) = 0;
    // 164 with the revision name (shortened to 42 characters).
    virtual NoticeChoice ShowLongFileName(const std::string& name) = 0;
    // 202.
    virtual NoticeChoice ShowDiskBecomingFull() = 0;
    // 203: the password typed, or nothing for Cancel. The dialog wipes its own copy.
    virtual std::optional<SecretText> ShowPassword() = 0;
    // 204: true for OK.
    virtual bool ShowProtected() = 0;
    // 205: the disk's own write-protect switch must be moved before it can be written; OK only.
    virtual void ShowWriteProtectSwitch() = 0;

    // Closes the prompt now showing on any thread, as its Cancel or close button would; may be
    // called from any thread, also when none shows.
    virtual void CloseOpenPrompts() = 0;
};

}  // namespace engine
