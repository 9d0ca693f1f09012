#include "ui/settings/scheduler_page.h"

#include <algorithm>
#include <string>

#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/settings/settings_notice.h"

namespace ui {

namespace {

constexpr const char* kUnitNames[] = {"Minutes", "Hours", "Days"};

}  // namespace

CKRVSchedulerPage::CKRVSchedulerPage(ShellServices& shell)
    : fw::PropertyPage(IDD_SCHEDULING_PAGE), shell_(shell) {}

void CKRVSchedulerPage::SetValues(const ScheduleValues& values) {
    scheduleType_ = static_cast<int>(values.type);
    interval_ = static_cast<int>(values.interval);
    unit_ = static_cast<int>(values.unit);
    for (int day = 0; day < 7; ++day) {
        days_[day] = (values.days >> day) & 1;
    }
    atShutdown_ = values.atShutdown != 0 ? 1 : 0;
    timeOfDay_ = values.timeOfDay;
}

ScheduleValues CKRVSchedulerPage::Values() {
    if (hwnd() != nullptr) {
        UpdateData(true);
    }
    ScheduleValues values;
    values.type = static_cast<uint32_t>(std::max(scheduleType_, 0));
    values.interval = static_cast<uint32_t>(std::clamp(
        interval_, static_cast<int>(kShortestInterval), static_cast<int>(kLongestInterval)));
    values.unit = static_cast<uint32_t>(std::clamp(unit_, 0, 2));
    values.days = DaysFromBoxes();
    if (timeEdit_.hwnd() != nullptr) {
        const settings::TimeOfDay shown = timeEdit_.ShownTime();
        timeOfDay_ = static_cast<uint32_t>(shown.hour * 60 + shown.minute);
    }
    values.timeOfDay = timeOfDay_;
    values.atShutdown = static_cast<uint32_t>(atShutdown_);
    return values;
}

uint32_t CKRVSchedulerPage::DaysFromBoxes() const {
    uint32_t mask = 0;
    for (int day = 0; day < 7; ++day) {
        if (days_[day] != 0) {
            mask |= 1u << day;
        }
    }
    return mask;
}

bool CKRVSchedulerPage::DaysScheduleWithoutDay() {
    const ScheduleValues values = Values();
    return values.type == settings::kScheduleDaysOfWeek && values.days == 0;
}

bool CKRVSchedulerPage::OnInitDialog() {
    const fw::ComboBox units(Item(IDC_SCHEDULE_INTERVAL_UNIT));
    for (const char* name : kUnitNames) {
        units.Add(name);
    }
    BoundedNumberField::WidenSpinRange(Item(IDC_SCHEDULE_INTERVAL_SPIN));
    fw::Edit(Item(IDC_SCHEDULE_INTERVAL_COUNT)).SetLimit(3);
    // The stored time of day, or the time the page opened when none is stored.
    timeEdit_.Attach(hwnd(), IDC_SCHEDULE_TIME, IDC_SCHEDULE_TIME_SPIN);
    timeEdit_.SetTime(static_cast<int>(timeOfDay_ / 60), static_cast<int>(timeOfDay_ % 60));
    UpdateData(false);
    EnableForType();
    return true;
}

void CKRVSchedulerPage::Exchange(fw::DataExchange& exchange) {
    exchange.Radio(IDC_SCHEDULE_ON_SAVE, scheduleType_);
    if (exchange.pulling()) {
        // An interval left empty or too small while typing is put right before it is read.
        (void)intervalField_.Settle(Item(IDC_SCHEDULE_INTERVAL_COUNT));
    }
    exchange.Number(IDC_SCHEDULE_INTERVAL_COUNT, interval_);
    exchange.ComboBoxIndex(IDC_SCHEDULE_INTERVAL_UNIT, unit_);
    for (int day = 0; day < 7; ++day) {
        exchange.Check(IDC_SCHEDULE_SUNDAY + day, days_[day]);
    }
    // The shutdown copy means nothing for copies on every save; there it keeps its value.
    if (scheduleType_ != static_cast<int>(settings::kScheduleOnEveryChange)) {
        exchange.Check(IDC_SCHEDULE_ALWAYS_AT_SHUTDOWN, atShutdown_);
    }
    exchange.Check(IDC_SCHEDULE_COPY_CHANGED, copyChanged_);
    exchange.Check(IDC_SCHEDULE_RECOPY, recopy_);
}

void CKRVSchedulerPage::EnableForType() {
    fw::DataExchange pull(hwnd(), true);
    pull.Radio(IDC_SCHEDULE_ON_SAVE, scheduleType_);
    const bool interval = scheduleType_ == static_cast<int>(settings::kScheduleEveryInterval);
    const bool days = scheduleType_ == static_cast<int>(settings::kScheduleDaysOfWeek);
    for (const int id :
         {IDC_SCHEDULE_INTERVAL_COUNT, IDC_SCHEDULE_INTERVAL_SPIN, IDC_SCHEDULE_INTERVAL_UNIT}) {
        EnableWindow(Item(id), interval ? TRUE : FALSE);
    }
    for (int day = 0; day < 7; ++day) {
        EnableWindow(Item(IDC_SCHEDULE_SUNDAY + day), days ? TRUE : FALSE);
        EnableWindow(Item(IDC_SCHEDULE_INITIAL_SUNDAY + day), days ? TRUE : FALSE);
    }
    EnableWindow(Item(IDC_SCHEDULE_TIME), days ? TRUE : FALSE);
    EnableWindow(Item(IDC_SCHEDULE_TIME_SPIN), days ? TRUE : FALSE);
    EnableWindow(
        Item(IDC_SCHEDULE_ALWAYS_AT_SHUTDOWN),
        scheduleType_ != static_cast<int>(settings::kScheduleOnEveryChange) ? TRUE : FALSE);
}

// The mask is rebuilt from the seven boxes as they show, and stored at once (it stays when the
// sheet is cancelled). Rebuilding, rather than flipping one bit of the mask read, matters when
// the mask could not be read: the boxes then show Monday to Friday, and that is what is stored.
void CKRVSchedulerPage::OnDayClicked() {
    fw::DataExchange pull(hwnd(), true);
    for (int day = 0; day < 7; ++day) {
        pull.Check(IDC_SCHEDULE_SUNDAY + day, days_[day]);
    }
    const settings::CKRVSettingsStore store(shell_.machine().registry, shell_.productKey());
    if (const uint32_t error =
            store.WriteSchedulerValue(settings::names::kSchedulerDays, DaysFromBoxes())) {
        ShowSettingsNotice(
            fw::FormatText(fw::LoadText(IDS_SETTINGS_NOT_SAVED), {fw::SystemErrorText(error)}),
            hwnd());
    }
}

// At most one of the two Copy Now boxes can be checked: each greys the other while it is.
void CKRVSchedulerPage::OnCopyNowClicked(int id) {
    fw::DataExchange pull(hwnd(), true);
    pull.Check(IDC_SCHEDULE_COPY_CHANGED, copyChanged_);
    pull.Check(IDC_SCHEDULE_RECOPY, recopy_);
    if (id == IDC_SCHEDULE_COPY_CHANGED) {
        EnableWindow(Item(IDC_SCHEDULE_RECOPY), copyChanged_ == 0 ? TRUE : FALSE);
    } else {
        EnableWindow(Item(IDC_SCHEDULE_COPY_CHANGED), recopy_ == 0 ? TRUE : FALSE);
    }
}

bool CKRVSchedulerPage::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
            case IDC_SCHEDULE_ON_SAVE:
            case IDC_SCHEDULE_INTERVAL:
            case IDC_SCHEDULE_DAYS:
            case IDC_SCHEDULE_AT_SHUTDOWN:
                EnableForType();
                return true;
            case IDC_SCHEDULE_COPY_CHANGED:
            case IDC_SCHEDULE_RECOPY:
                OnCopyNowClicked(id);
                return true;
            default:
                if (id >= IDC_SCHEDULE_SUNDAY && id <= IDC_SCHEDULE_SATURDAY) {
                    OnDayClicked();
                    return true;
                }
                break;
        }
    }
    if (id == IDC_SCHEDULE_INTERVAL_COUNT && code == EN_CHANGE) {
        // Whatever is typed, the interval ends between 1 and 999.
        interval_ = intervalField_.OnTextChanged(Item(IDC_SCHEDULE_INTERVAL_COUNT));
        return true;
    }
    if (id == IDC_SCHEDULE_INTERVAL_COUNT && code == EN_KILLFOCUS) {
        interval_ = intervalField_.Settle(Item(IDC_SCHEDULE_INTERVAL_COUNT));
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CKRVSchedulerPage::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_SCHEDULE_INTERVAL_SPIN && header.code == UDN_DELTAPOS) {
        const auto& step = reinterpret_cast<const NMUPDOWN&>(header);
        interval_ = BoundedNumberField::Step(Item(IDC_SCHEDULE_INTERVAL_COUNT), step.iDelta,
                                             static_cast<int>(kShortestInterval),
                                             static_cast<int>(kLongestInterval));
        result = 0;
        return true;
    }
    return fw::PropertyPage::OnNotify(header, result);
}

}  // namespace ui
