#pragma once
// The General page (102) of the settings sheet: the program on or off, the source folders, and
// the destination drive with the free space and protection of the disk in it. The page stores
// nothing; the host reads it on OK.

#include <string>
#include <vector>

#include "framework/gdi.h"
#include "framework/property_sheet.h"
#include "ui/common/drive_list.h"
#include "ui/common/shell_services.h"

namespace ui {

class CKRVMirrorGenPage : public fw::PropertyPage {
  public:
    explicit CKRVMirrorGenPage(ShellServices& shell);

    // Before the page is created: the switch, the source folders and the destination root.
    void SetValues(bool switchedOn, const std::vector<std::string>& sources,
                   const std::string& destination);
    bool switchedOn();
    // The source folders in the order the list shows them.
    std::vector<std::string> Sources() const;
    // The root of the drive chosen as destination ("E:\"); empty when none is chosen.
    std::string SelectedDestination() const;
    // Selects the folder's entry in the source list (to show which one is at fault).
    void SelectSource(const std::string& folder) const;
    // The free-space text as shown.
    std::string FreeSpaceText() const;

    // The 15-second refresh (fromTimer) and a change of the chosen drive: the disk's free
    // space and protection follow the disk in the drive; the timer also rebuilds the drive list.
    void RefreshDestination(bool fromTimer);
    // "&Add/Remove...", "&Protect Disk..." and "&Unprotect Disk...", as the buttons run them.
    void EditSources();
    void ChangeProtection(bool protect);
    CKRVDriveListBox& driveList() { return driveList_; }

  protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& exchange) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void FillSources(const std::vector<std::string>& folders) const;
    void ShowDisk(const std::string& destination);
    void Paint();

    ShellServices& shell_;
    CKRVDriveListBox driveList_;
    int switchIndex_ = 0;  // 0 on, 1 off
    std::vector<std::string> sources_;
    std::string destination_;
    std::string freeSpaceText_;
    bool busy_ = false;
    fw::Bitmap protectionPicture_;
};

}  // namespace ui
