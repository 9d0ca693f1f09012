#pragma once
// The Scheduling page (194) of the settings sheet: when the engine copies (on every save, every
// interval, on days of the week at a time), and a copy when the sheet closes. The host hands it
// the stored schedule before it is shown and reads it on OK; the day boxes store the day mask at
// once.

#include "framework/property_sheet.h"
#include "ui/common/shell_services.h"
#include "ui/common/time_edit.h"
#include "ui/settings/number_field.h"
#include "ui/settings/sheet_values.h"

namespace ui {

class CKRVSchedulerPage : public fw::PropertyPage {
  public:
    explicit CKRVSchedulerPage(ShellServices& shell);

    // The schedule to show; before the page is created.
    void SetValues(const ScheduleValues& values);
    // The schedule as the page shows it (pulls the controls when the page exists).
    ScheduleValues Values();
    // The Copy Now boxes.
    bool copyChangedChecked() const { return copyChanged_ != 0; }
    bool recopyChecked() const { return recopy_ != 0; }
    // A days-of-week schedule without any day: it would never copy.
    bool DaysScheduleWithoutDay();
    CKRVTimeEdit& timeEdit() { return timeEdit_; }

  protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& exchange) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;

  private:
    void EnableForType();
    void OnDayClicked();
    void OnCopyNowClicked(int id);
    uint32_t DaysFromBoxes() const;

    ShellServices& shell_;
    CKRVTimeEdit timeEdit_;
    int scheduleType_ = 0;
    int interval_ = static_cast<int>(kDefaultInterval);
    int unit_ = 0;
    int days_[7] = {0, 1, 1, 1, 1, 1, 0};
    int atShutdown_ = 0;
    int copyChanged_ = 0;
    int recopy_ = 0;
    uint32_t timeOfDay_ = 0;
    BoundedNumberField intervalField_{static_cast<int>(kShortestInterval),
                                      static_cast<int>(kLongestInterval)};
};

}  // namespace ui
