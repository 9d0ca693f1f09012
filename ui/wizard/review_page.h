#pragma once
// The wizard's review page (dialog 132): the source folders, the revisions sentence, the
// destination drive with its disk and free space, the estimate of the disks a complete copy
// needs, and the link to the maker's store. The wizard computes what it shows.

#include <string>
#include <vector>

#include "ui/common/hyperlink.h"
#include "ui/wizard/wizard_page.h"

namespace ui {

// What the review page shows, by control.
struct ReviewTexts {
    std::vector<std::string> folders;  // list view 1018
    std::string revisions;             // 1043
    std::string diskSentence;          // 1015: "F: BACKUP1 has 950 MB of free space."
    std::string estimate;              // 1084
    // Kept for anyone who reads them; not on show.
    std::string volumeName;  // 1013
    std::string driveName;   // 1044
    std::string dataText;    // 1004: "which contain 12 MB of data."
    std::string freeText;    // 1014: "has 950 MB of free space."
    int driveIcon = 0;       // the destination drive's icon resource, 0 for none
};

class CKRVReviewPage : public CKRVWizardPage {
  public:
    CKRVReviewPage();

    void SetTexts(ReviewTexts texts);
    const ReviewTexts& texts() const { return texts_; }
    // Writes the texts into the controls.
    void OnPageActivate() override;

  protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void PaintIcons(HDC dc) const;

    ReviewTexts texts_;
    CKRVHyperLink store_;
};

}  // namespace ui
