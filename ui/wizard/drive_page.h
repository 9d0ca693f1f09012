#pragma once
// The wizard's drive page (dialog 111): the maker's drives to choose the destination from, and
// for the chosen drive a chart of its disk's free space with the drive, used and free figures.
// It follows the drives every 15 seconds and on every change of the selection.

#include <string>

#include "ui/common/drive_list.h"
#include "ui/common/pie_chart.h"
#include "ui/common/shell_services.h"
#include "ui/wizard/wizard_page.h"

namespace ui {

class CKRVDrivePage : public CKRVWizardPage {
  public:
    static constexpr UINT_PTR kRefreshTimer = 10;
    static constexpr UINT kRefreshMs = 15000;

    explicit CKRVDrivePage(ShellServices& shell);

    // The root path of the drive the user selected ("F:\"); empty when none is.
    std::string SelectedRootPath() const { return list_.SelectedRootPath(); }
    // Selects the drive of this letter (the drives are read first when they have not been).
    void SelectDriveByLetter(char letter);
    // The user changed the selection on this page at least once.
    bool userChoseDrive() const { return userChose_; }

    // The hidden free-space text (1022), which the wizard sets as well.
    void SetFreeSpaceText(const std::string& text);
    const std::string& freeSpaceText() const { return freeSpace_; }

    // Reads the drives again and shows the selected drive's disk.
    void OnPageActivate() override;

    CKRVDriveListBox& list() { return list_; }
    const CKRVPieChart& pie() const { return pie_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Exchange(fw::DataExchange& exchange) override;

  private:
    void RefreshDrives();
    void ShowLegends(bool show) const;

    ShellServices& shell_;
    CKRVDriveListBox list_;
    CKRVPieChart pie_;
    bool userChose_ = false;
    std::string rootPath_ = "A:\\";
    std::string freeSpace_;  // 1022, hidden
    std::string driveText_;  // 1034
    std::string usedText_;   // 1036
    std::string freeText_;   // 1037
};

// "Free Space: 950 MB", or "Free Space: ?? MB" without a disk.
std::string FreeSpaceText(bool hasDisk, uint64_t freeBytes);

}  // namespace ui
