#pragma once
// The setup wizard (dialog 134): seven pages from the intro to the congratulations, with Help,
// Back, Next and Cancel. It stores the backup disk's identity when the user leaves the drive
// page and hands the rest of the first settings to its caller when the user finishes.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/folder_size_worker.h"
#include "settings/settings_store.h"
#include "ui/common/shell_services.h"
#include "ui/wizard/drive_page.h"
#include "ui/wizard/page_host.h"
#include "ui/wizard/review_page.h"
#include "ui/wizard/revisions_page.h"
#include "ui/wizard/setup_model.h"
#include "ui/wizard/simple_pages.h"
#include "ui/wizard/source_page.h"

namespace ui {

class CKRVSetupWizard : public CKRVPageHostDlg {
  public:
    // The message the folder-size worker posts when a sum is known (wParam: its request).
    static constexpr UINT kSizesKnown = WM_APP + 14;

    // journal: what the wizard stores on its way, taken back by Cancel.
    CKRVSetupWizard(ShellServices& shell, const SetupJournal& journal, HWND parent = nullptr);
    ~CKRVSetupWizard() override;

    // What the user chose; valid after DoModal returned IDOK.
    const SetupChoices& choices() const { return choices_; }

    CKRVDrivePage& drivePage() { return *drive_; }
    CKRVSourcePage& sourcePage() { return *sources_; }
    CKRVRevisionsPage& revisionsPage() { return revisions_; }
    CKRVReviewPage& reviewPage() { return review_; }
    CKRVCongratulationsPage& congratulationsPage() { return congratulations_; }
    // The folders' total size once it is known for the list as it is now.
    std::optional<uint64_t> KnownSourceSize() const;

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnCancel() override;
    int SeparatorId() const override;
    // Tells the user something that keeps the wizard on its page (a test replaces it).
    virtual void Tell(const std::string& text);
    // The source page the wizard shows; a test gives one with its own folder picker.
    virtual std::unique_ptr<CKRVSourcePage> MakeSourcePage(ShellServices& shell,
                                                           std::function<void()> foldersChanged);

  private:
    void Next();
    void Back();
    void Finish();
    void Help();
    // Leaving the drive page: false keeps the user there (no drive selected).
    bool LeaveDrivePage();
    void EnterDiskLabelPage();
    void EnterSourcePage();
    // Review figures: the disk sentence, the data and the estimate.
    void ComputeReviewFigures();
    ReviewTexts ComposeReview();
    std::string RevisionsSentence();
    void SourcesChanged();
    void SizesKnown(uint64_t request);
    void ShowFinishButton(bool show);
    std::string DefaultSource() const;

    ShellServices& shell_;
    const SetupJournal& journal_;
    settings::CKRVSettingsStore store_;
    CKRVIntroPage intro_;
    CKRVDiskLabelPage diskLabel_;
    std::unique_ptr<CKRVDrivePage> drive_;
    std::unique_ptr<CKRVSourcePage> sources_;
    CKRVRevisionsPage revisions_;
    CKRVReviewPage review_;
    CKRVCongratulationsPage congratulations_;
    std::unique_ptr<engine::FolderSizeWorker> sizes_;
    uint64_t sizeRequest_ = 0;  // the request for the source list as it is now
    // This run stored "DiskID" (taken back when the user then picks a drive without a disk).
    bool storedDiskId_ = false;
    // The destination's disk as the review saw it when the user left the revisions page.
    std::optional<DiskFigures> reviewDisk_;
    std::string reviewDriveName_;
    uint64_t reviewMaxRawCapacity_ = 0;
    uint32_t reviewFamily_ = 0;
    int reviewDriveIcon_ = 0;
    SetupChoices choices_;
};

}  // namespace ui
