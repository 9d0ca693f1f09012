#include "ui/wizard/source_page.h"

#include "engine/folder_sizes.h"
#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/folder_picker.h"

namespace ui {

CKRVSourcePage::CKRVSourcePage(ShellServices& shell, std::function<void()> foldersChanged)
    : CKRVWizardPage(IDD_WIZARD_SOURCES, IDC_SOURCES_HEADING),
      shell_(shell),
      foldersChanged_(std::move(foldersChanged)) {}

// The user's own documents to begin with, when the shell knows the folder.
bool CKRVSourcePage::OnInitDialog() {
    CKRVWizardPage::OnInitDialog();
    const std::string documents = shell_.DocumentsFolder();
    if (!documents.empty()) {
        AddFolder(documents);
    } else if (foldersChanged_) {
        foldersChanged_();
    }
    return false;
}

std::vector<std::string> CKRVSourcePage::Folders() const {
    const fw::ListBox list(hwnd(), IDC_SOURCES_LIST);
    std::vector<std::string> folders;
    for (int i = 0; i < list.Count(); ++i) {
        folders.push_back(list.ItemText(i));
    }
    return folders;
}

void CKRVSourcePage::AddFolder(const std::string& folder) {
    fw::ListBox(hwnd(), IDC_SOURCES_LIST).Add(folder);
    if (foldersChanged_) {
        foldersChanged_();
    }
}

void CKRVSourcePage::SetFolders(const std::vector<std::string>& folders) {
    const fw::ListBox list(hwnd(), IDC_SOURCES_LIST);
    list.Reset();
    for (const std::string& folder : folders) {
        list.Add(folder);  // the list sorts them
    }
    if (foldersChanged_) {
        foldersChanged_();
    }
}

void CKRVSourcePage::ShowCopySize(std::optional<uint64_t> bytes) {
    const std::string megabytes =
        bytes ? std::to_string(engine::Megabytes(*bytes)) : fw::LoadText(IDS_SIZE_PENDING);
    fw::SetText(Item(IDC_SOURCES_COPY_SIZE),
                fw::FormatText(fw::LoadText(IDS_COPY_SIZE), {megabytes}));
}

bool CKRVSourcePage::OnCommand(int id, int code, HWND control) {
    if (id == IDC_SOURCES_ADD_REMOVE && code == BN_CLICKED) {
        AddOrRemove();
        return true;
    }
    return CKRVWizardPage::OnCommand(id, code, control);
}

void CKRVSourcePage::AddOrRemove() {
    const std::optional<std::vector<std::string>> picked = PickFolders(Folders());
    if (!picked) {
        return;
    }
    chosen_ = *picked;
    SetFolders(*picked);
}

std::optional<std::vector<std::string>> CKRVSourcePage::PickFolders(
    const std::vector<std::string>& current) {
    os::FileSystem& files = shell_.machine().files;
    CKRVFolderPickerDlg picker(
        files, [this](std::wstring_view page) { shell_.OpenHelpPage(page); },
        current.empty() ? std::string() : current.front(), SourceDriveMask(files),
        GetParent(hwnd()));
    picker.selectedFolders = current;
    if (picker.DoModal() != IDOK) {
        return std::nullopt;
    }
    return picker.selectedFolders;
}

}  // namespace ui
