#include "ui/prompts/prompt_views.h"

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
    CKRVDiskFullDlg dialog(first, last);
    dialog.DoModal();
    return dialog.choice();
}

engine::WrongDiskChoice DialogPromptView::ShowWrongDisk() {
    CKRVWrongDiskDlg dialog;
    dialog.DoModal();
    return dialog.choice();
}

engine::NoDiskChoice DialogPromptView::ShowNoDisk() {
    CKRVNoDiskDlg dialog;
    dialog.DoModal();
    return dialog.choice();
}

bool DialogPromptView::ShowInsertDisk(int driveIcon, const std::string& labelText) {
    CKRVInsertDiskDlg dialog(driveIcon, labelText);
    return dialog.DoModal() == IDOK;
}

engine::NoticeChoice DialogPromptView::ShowFileTooLarge(const std::string& path) {
    CKRVFileTooLargeDlg dialog(path);
    dialog.DoModal();
    return dialog.choice();
}

engine::NoticeChoice DialogPromptView::ShowFileError(const engine::FileErrorDetails& details) {
    CKRVFileErrorDlg dialog(details);
    dialog.DoModal();
    return dialog.choice();
}

engine::NoticeChoice DialogPromptView::ShowLongFileName(const std::string& name) {
    CKRVLongFileNameDlg dialog(name);
    dialog.DoModal();
    return dialog.choice();
}

engine::NoticeChoice DialogPromptView::ShowDiskBecomingFull() {
    CKRVDiskFillingDlg dialog;
    dialog.DoModal();
    return dialog.choice();
}

std::optional<engine::SecretText> DialogPromptView::ShowPassword() {
    CKRVPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) {
        return std::nullopt;
    }
    return dialog.TakePassword();
}

bool DialogPromptView::ShowProtected() {
    return RunMessageDialog(IDD_PROTECTED) == IDOK;
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
