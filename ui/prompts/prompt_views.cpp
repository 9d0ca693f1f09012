#include "ui/prompts/prompt_views.h"

#include <algorithm>

#include "res/resource.h"
#include "ui/prompts/disk_prompts.h"
#include "ui/prompts/message_dialogs.h"
#include "ui/prompts/notice_prompts.h"
#include "ui/prompts/progress_dialog.h"

namespace ui {

// A dialog that could not be created (-1) reads as Cancel: the engine then gives up its attempt
// instead of acting on a choice nobody made.

engine::DiskFullChoice DialogPromptView::ShowDiskFull(const os::SystemTime& first,
                                                      const os::SystemTime& last) {
    Showing showing(*this);
    CKRVDiskFullDlg dialog(first, last);
    dialog.DoModal();
    return dialog.choice();
}

engine::WrongDiskChoice DialogPromptView::ShowWrongDisk() {
    Showing showing(*this);
    CKRVWrongDiskDlg dialog;
    dialog.DoModal();
    return dialog.choice();
}

engine::NoDiskChoice DialogPromptView::ShowNoDisk() {
    Showing showing(*this);
    CKRVNoDiskDlg dialog;
    dialog.DoModal();
    return dialog.choice();
}

bool DialogPromptView::ShowInsertDisk(int driveIcon, const std::string& labelText) {
    Showing showing(*this);
    CKRVInsertDiskDlg dialog(driveIcon, labelText);
    return dialog.DoModal() == IDOK;
}

engine::NoticeChoice DialogPromptView::ShowFileTooLarge(const std::string& path) {
    Showing showing(*this);
    CKRVFileTooLargeDlg dialog(path);
    dialog.DoModal();
    return dialog.choice();
}

engine::NoticeChoice DialogPromptView::ShowFileError(const engine::FileErrorDetails& details) {
    Showing showing(*this);
    CKRVFileErrorDlg dialog(details);
    dialog.DoModal();
    return dialog.choice();
}

engine::NoticeChoice DialogPromptView::ShowLongFileName(const std::string& name) {
    Showing showing(*this);
    CKRVLongFileNameDlg dialog(name);
    dialog.DoModal();
    return dialog.choice();
}

engine::NoticeChoice DialogPromptView::ShowDiskBecomingFull() {
    Showing showing(*this);
    CKRVDiskFillingDlg dialog;
    dialog.DoModal();
    return dialog.choice();
}

std::optional<engine::SecretText> DialogPromptView::ShowPassword() {
    Showing showing(*this);
    CKRVPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) {
        return std::nullopt;
    }
    return dialog.TakePassword();
}

bool DialogPromptView::ShowProtected() {
    Showing showing(*this);
    return RunMessageDialog(IDD_PROTECTED) == IDOK;
}

void DialogPromptView::ShowWriteProtectSwitch() {
    Showing showing(*this);
    RunMessageDialog(IDD_WRITE_PROTECT_SWITCH);  // OK is the only way out
}

DialogPromptView::Showing::Showing(DialogPromptView& view) : view_(view) {
    std::lock_guard lock(view_.mutex_);
    view_.showing_.push_back(GetCurrentThreadId());
}

DialogPromptView::Showing::~Showing() {
    std::lock_guard lock(view_.mutex_);
    const auto found =
        std::find(view_.showing_.begin(), view_.showing_.end(), GetCurrentThreadId());
    if (found != view_.showing_.end()) {
        view_.showing_.erase(found);
    }
}

void DialogPromptView::CloseOpenPrompts() {
    std::lock_guard lock(mutex_);
    for (const DWORD thread : showing_) {
        EnumThreadWindows(
            thread,
            [](HWND window, LPARAM) -> BOOL {
                // A prompt's Cancel, or its only button's way out; posted, so that a thread
                // that waits for this one never waits for the prompt's thread.
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return TRUE;
            },
            0);
    }
}

int DialogProgressView::RunProgressDialog(engine::ProgressState& state, os::Clock& clock) {
    CKRVProgressDlg dialog(state, clock);
    const INT_PTR result = dialog.DoModal();
    if (result == -1) {
        // Without its window nobody can cancel; the copy runs on and the caller sees 1 at 100.
        return engine::kResultOk;
    }
    return static_cast<int>(result);
}

}  // namespace ui
