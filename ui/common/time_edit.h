#pragma once
// The time edit: an edit control that shows a time of day in the user's locale format and lets
// the user change the hour, the minute and the AM/PM field one at a time, with the keyboard
// (arrows, digits, the designator's letter) or the buddy spin's arrows. The control forwards
// its keys, focus changes and spin steps to settings::TimeEditModel and shows the model's text
// with the current field selected; the window text cannot be typed over, pasted into or cut.

#include <optional>
#include <string>

#include "framework/window.h"
#include "os/clock.h"
#include "settings/time_edit_model.h"

namespace ui {

// The locale's time format and designators, as the time edit reads them at creation.
struct LocaleTimeFormat {
    std::string format;  // LOCALE_STIMEFORMAT: "h:mm:ss tt"
    std::string am;      // LOCALE_S1159
    std::string pm;      // LOCALE_S2359
};
// The user's default locale's.
LocaleTimeFormat UserTimeFormat();

class CKRVTimeEdit;

// The up-down control beside the edit: each arrow click changes the edit's current field.
class CKRVTimeSpin : public fw::Window {
  public:
    CKRVTimeEdit* edit() const { return edit_; }

  protected:
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    friend class CKRVTimeEdit;
    CKRVTimeEdit* edit_ = nullptr;
};

class CKRVTimeEdit : public fw::Window {
  public:
    // The private message with which the spin hands the edit its step (low parameter).
    static constexpr UINT kSpinStepMessage = WM_USER + 1020;

    // The fields from the user's locale (a format that cannot show a time faithfully falls back
    // to "HH:mm").
    CKRVTimeEdit();
    // The fields from the given format (tests, and pictures in other locales).
    explicit CKRVTimeEdit(const LocaleTimeFormat& format);

    // Takes over the dialog's edit control, and its up-down control when spinId is not 0.
    bool Attach(HWND dialog, int editId, int spinId = 0);
    // Links an up-down control as this edit's spin.
    bool AttachSpin(HWND spin);

    void SetTime(int hour, int minute);
    void SetTime(const settings::CKrvFileTime& time);
    // Today's date from the clock with the shown hour and minute.
    settings::CKrvFileTime GetTime(os::Clock& clock) const;
    settings::TimeOfDay ShownTime() const { return model_.ShownTime(); }

    const settings::TimeEditModel& model() const { return model_; }
    const std::string& format() const { return format_; }
    HWND spin() const { return spin_.hwnd(); }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Does what the model answered: shows its text with the current field selected.
    void Apply(settings::TimeEditAction action);
    void ShowModel();
    void SelectAtCaret();
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);

    std::string format_;
    settings::TimeEditModel model_;
    CKRVTimeSpin spin_;
};

}  // namespace ui
