#pragma once
// What the time edit shows and how its keys change it, without a window. The edit control only
// forwards its keys, focus changes and spin steps here, then shows Text() with Selection()
// selected and scrolls the caret into view whenever an answer says Redraw.
//
// The segments come from the locale's time format (LOCALE_STIMEFORMAT) and its AM and PM
// designators: hours and minutes are numbers of two digits, the designator a choice, everything
// else literal text; seconds are never shown. Text in single quotes is literal ("HH' h 'mm"
// shows "17 h 30"), and two single quotes stand for one.
//
// The control itself swallows character messages and double clicks (so the text cannot be typed
// over), and should refuse paste, cut and clear: the model, not the window text, holds the time.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "os/clock.h"
#include "settings/krv_time.h"

namespace settings {

enum class TimeSegmentKind { Number = 1, Choice = 2, Literal = 3 };

// Which part of the time a segment shows.
enum class TimeField { Hour24, Hour12, Minute, Designator, Text };

struct TimeSegment {
    TimeSegmentKind kind = TimeSegmentKind::Literal;
    TimeField field = TimeField::Text;
    int minimum = 0;
    int maximum = 0;
    int width = 0;        // a number is written with leading zeros to this many digits
    int typedDigits = 0;  // digits typed since the segment was selected
    int value = 0;        // the number, or the index of the choice
    std::string text;     // a literal's text
    std::vector<std::string> choices;
};

enum class TimeEditKey {
    Up,
    Down,
    PageUp,
    PageDown,
    Left,
    Right,
    Home,
    End,
    Delete,
    Digit,
    Letter
};

// What the control does after handing something to the model.
enum class TimeEditAction {
    Redraw,                    // set the window text to Text(), select Selection(), scroll
    Default,                   // give the key to the edit's own handling
    DefaultThenSelectAtCaret,  // the edit's own handling, then SelectAtCaret(the new caret)
    Nothing,                   // the key is swallowed; nothing changed
};

// Positions in UTF-16 code units, as an edit control counts them.
struct TextRange {
    size_t start = 0;
    size_t end = 0;
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// The format the time edit is built from: the locale's own, or "HH:mm" when the locale's cannot
// show a time faithfully: a 12-hour format without AM/PM designators (or without its "t" field),
// or a format without an hour or a minute field. 17:30 would otherwise show, and be read back,
// as 05:30.
std::string ShowableTimeFormat(std::string_view timeFormat, std::string_view amDesignator,
                               std::string_view pmDesignator);

class TimeEditModel {
  public:
    TimeEditModel(std::string_view timeFormat, std::string_view amDesignator,
                  std::string_view pmDesignator);

    // The picture of the shown fields for GetTimeFormat ("h:mm:ss tt" gives "hh:mm tt").
    const std::string& Picture() const { return picture_; }
    const std::vector<TimeSegment>& Segments() const { return segments_; }
    // The whole text, every number with its leading zeros.
    std::string Text() const;
    // The current segment's place in Text(); empty when there is none.
    TextRange Selection() const;
    // Index into Segments(), never a literal; -1 when the format has no field to edit.
    int CurrentSegment() const { return current_; }

    // Shows the hour (0..23) and minute; values outside those ranges are clamped.
    void SetTime(int hour, int minute);
    void SetTime(const CKrvFileTime& time);
    // The shown hour (0..23) and minute. A number typed out of range (75 minutes) and not yet
    // clamped by a focus loss reads as the nearest value in range.
    TimeOfDay ShownTime() const;
    // Today's date from the local clock with the shown hour and minute and the clock's second.
    CKrvFileTime GetTime(os::Clock& clock) const;

    // A key press (WM_KEYDOWN). character is the digit '0'..'9' for Digit (top row or keypad)
    // and the letter for Letter; other keys the control handles itself without asking.
    TimeEditAction OnKeyDown(TimeEditKey key, char32_t character = 0);
    // The spin's step, handed on only while the edit has the focus: the current segment changes
    // by -step (the up arrow reports -1 and so raises the value).
    TimeEditAction OnSpin(int step);
    // A click, a button release, getting the focus, Home and End: the segment at the caret
    // becomes current (the nearest field when the caret is in literal text), and its typed
    // digits start over.
    TimeEditAction SelectAtCaret(size_t caret);
    // Losing the focus: every number outside its range is set to its minimum or maximum.
    TimeEditAction OnKillFocus();

  private:
    void Parse(std::string_view format, std::string_view am, std::string_view pm);
    void AppendLiteral(const std::string& text);
    void BuildPicture();
    std::string SegmentText(const TimeSegment& segment) const;
    void Select(int index);
    TimeEditAction Step(int delta);
    TimeEditAction TypeDigit(int digit);
    TimeEditAction TypeLetter(char32_t letter);
    int Neighbour(int direction) const;
    const TimeSegment* Find(TimeField field) const;

    std::vector<TimeSegment> segments_;
    std::string picture_;
    int current_ = -1;
};

}  // namespace settings
