#pragma once
// The wizard's source page (dialog 130): the folders to copy from, the user's own documents to
// begin with, changed through the folder picker, with the size of what they hold.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/common/shell_services.h"
#include "ui/wizard/wizard_page.h"

namespace ui {

class CKRVSourcePage : public CKRVWizardPage {
  public:
    // foldersChanged: called whenever the list changes (the wizard sums the folders' sizes).
    CKRVSourcePage(ShellServices& shell, std::function<void()> foldersChanged);

    // The list's folders, in list order.
    std::vector<std::string> Folders() const;
    void AddFolder(const std::string& folder);
    // The folders the user chose in the folder picker (the wizard creates those missing).
    const std::vector<std::string>& chosenFolders() const { return chosen_; }

    // "Copy Size: 12 MB"; "Copy Size: ... MB" while the size is not known yet.
    void ShowCopySize(std::optional<uint64_t> bytes);

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    // The folder picker over the wizard, opened at the first folder with the listed ones
    // chosen; the folders after OK, nothing after Cancel. A test replaces it.
    virtual std::optional<std::vector<std::string>> PickFolders(
        const std::vector<std::string>& current);

  private:
    void AddOrRemove();
    void SetFolders(const std::vector<std::string>& folders);

    ShellServices& shell_;
    std::function<void()> foldersChanged_;
    std::vector<std::string> chosen_;
};

}  // namespace ui
