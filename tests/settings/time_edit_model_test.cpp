// The time edit's model: segments and picture from a locale format, the text it shows, the time
// it reads back, and the editing keys.

#include "settings/time_edit_model.h"

#include <gtest/gtest.h>

#include "os/sim/sim_machine.h"

namespace settings {
namespace {

using Key = TimeEditKey;
using Action = TimeEditAction;

void Type(TimeEditModel& edit, std::string_view digits) {
    for (char d : digits) {
        ASSERT_EQ(edit.OnKeyDown(Key::Digit, static_cast<char32_t>(d)), Action::Redraw);
    }
}

TEST(TimeEditTwelveHour, ShowsHoursMinutesAndTheDesignatorWithoutSeconds) {
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    EXPECT_EQ(edit.Picture(), "hh:mm tt");
    ASSERT_EQ(edit.Segments().size(), 5u);
    EXPECT_EQ(edit.Segments()[0].kind, TimeSegmentKind::Number);
    EXPECT_EQ(edit.Segments()[0].minimum, 1);
    EXPECT_EQ(edit.Segments()[0].maximum, 12);
    EXPECT_EQ(edit.Segments()[4].kind, TimeSegmentKind::Choice);
    EXPECT_EQ(edit.Segments()[4].choices, (std::vector<std::string>{"AM", "PM"}));
    edit.SetTime(17, 30);
    EXPECT_EQ(edit.Text(), "05:30 PM");
    EXPECT_EQ(edit.CurrentSegment(), 0);
    EXPECT_EQ(edit.Selection(), (TextRange{0, 2}));
}

TEST(TimeEditTwelveHour, ReadsNoonAndMidnightBack) {
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    const struct {
        int hour, minute;
        const char* text;
    } cases[] = {
        {17, 30, "05:30 PM"}, {0, 30, "12:30 AM"}, {12, 30, "12:30 PM"}, {11, 59, "11:59 AM"}};
    for (const auto& c : cases) {
        edit.SetTime(c.hour, c.minute);
        EXPECT_EQ(edit.Text(), c.text);
        EXPECT_EQ(edit.ShownTime(), (TimeOfDay{c.hour, c.minute})) << c.text;
    }
}

TEST(TimeEditTwelveHour, TheHourWrapsWithoutTouchingTheDesignator) {
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    edit.SetTime(12, 0);
    EXPECT_EQ(edit.OnKeyDown(Key::Up), Action::Redraw);
    EXPECT_EQ(edit.Text(), "01:00 PM");
    EXPECT_EQ(edit.OnKeyDown(Key::PageDown), Action::Redraw);
    EXPECT_EQ(edit.OnKeyDown(Key::Down), Action::Redraw);
    EXPECT_EQ(edit.Text(), "11:00 PM");
}

TEST(TimeEditTwelveHour, ArrowsMoveBetweenFieldsAndSkipLiterals) {
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    edit.SetTime(9, 5);
    EXPECT_EQ(edit.OnKeyDown(Key::Right), Action::Redraw);
    EXPECT_EQ(edit.CurrentSegment(), 2);
    EXPECT_EQ(edit.Selection(), (TextRange{3, 5}));
    edit.OnKeyDown(Key::Right);
    EXPECT_EQ(edit.CurrentSegment(), 4);
    EXPECT_EQ(edit.Selection(), (TextRange{6, 8}));
    edit.OnKeyDown(Key::Right);
    EXPECT_EQ(edit.CurrentSegment(), 0);
    edit.OnKeyDown(Key::Left);
    EXPECT_EQ(edit.CurrentSegment(), 4);
}

TEST(TimeEditTwelveHour, TheDesignatorTogglesAndAnswersItsLetters) {
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    edit.SetTime(9, 0);
    edit.OnKeyDown(Key::Left);  // to the designator
    EXPECT_EQ(edit.OnKeyDown(Key::Up), Action::Redraw);
    EXPECT_EQ(edit.Text(), "09:00 PM");
    edit.OnKeyDown(Key::Up);
    EXPECT_EQ(edit.Text(), "09:00 AM");
    edit.OnKeyDown(Key::Down);
    EXPECT_EQ(edit.Text(), "09:00 PM");
    EXPECT_EQ(edit.OnKeyDown(Key::Letter, U'a'), Action::Redraw);
    EXPECT_EQ(edit.ShownTime(), (TimeOfDay{9, 0}));
    EXPECT_EQ(edit.OnKeyDown(Key::Letter, U'P'), Action::Redraw);
    EXPECT_EQ(edit.ShownTime(), (TimeOfDay{21, 0}));
    EXPECT_EQ(edit.OnKeyDown(Key::Letter, U'x'), Action::Nothing);
    EXPECT_EQ(edit.OnKeyDown(Key::Digit, U'4'), Action::Default);
    // A letter on a number is the edit's own business.
    edit.OnKeyDown(Key::Right);
    EXPECT_EQ(edit.OnKeyDown(Key::Letter, U'p'), Action::Default);
}

TEST(TimeEditTwentyFourHour, TypedDigitsFillTheFieldFromTheRight) {
    TimeEditModel edit("HH:mm:ss", "AM", "PM");
    EXPECT_EQ(edit.Picture(), "HH:mm");
    edit.SetTime(17, 30);
    EXPECT_EQ(edit.Text(), "17:30");
    ASSERT_EQ(edit.SelectAtCaret(0), Action::Redraw);
    Type(edit, "0");
    EXPECT_EQ(edit.Text(), "00:30");
    Type(edit, "8");
    EXPECT_EQ(edit.Text(), "08:30");
    Type(edit, "5");
    EXPECT_EQ(edit.Text(), "05:30");
    Type(edit, "1");
    EXPECT_EQ(edit.Text(), "51:30");
    EXPECT_EQ(edit.Selection(), (TextRange{0, 2}));
}

TEST(TimeEditTwentyFourHour, SelectingAFieldStartsANewNumber) {
    TimeEditModel edit("HH:mm:ss", "AM", "PM");
    edit.SetTime(17, 30);
    Type(edit, "1");
    edit.OnKeyDown(Key::Right);
    edit.OnKeyDown(Key::Left);
    Type(edit, "5");
    EXPECT_EQ(edit.Text(), "05:30");
    // A step changes the number, so typing after it starts over as well.
    edit.OnKeyDown(Key::Up);
    Type(edit, "2");
    EXPECT_EQ(edit.Text(), "02:30");
}

TEST(TimeEditTwentyFourHour, NumbersWrapAtBothEnds) {
    TimeEditModel edit("HH:mm:ss", "AM", "PM");
    edit.SetTime(23, 59);
    edit.OnKeyDown(Key::Up);
    EXPECT_EQ(edit.Text(), "00:59");
    edit.OnKeyDown(Key::Down);
    EXPECT_EQ(edit.Text(), "23:59");
    edit.OnKeyDown(Key::Right);
    edit.OnKeyDown(Key::PageUp);
    EXPECT_EQ(edit.Text(), "23:00");
    edit.OnKeyDown(Key::Down);
    EXPECT_EQ(edit.Text(), "23:59");
}

TEST(TimeEditTwentyFourHour, OutOfRangeNumbersAreClampedWhenTheFocusLeaves) {
    TimeEditModel edit("HH:mm:ss", "AM", "PM");
    edit.SetTime(17, 30);
    edit.OnKeyDown(Key::Right);
    Type(edit, "75");
    EXPECT_EQ(edit.Text(), "17:75");
    // Read before the focus leaves (Enter on the page's default button), it is still a time.
    EXPECT_EQ(edit.ShownTime(), (TimeOfDay{17, 59}));
    EXPECT_EQ(edit.OnKillFocus(), Action::Redraw);
    EXPECT_EQ(edit.Text(), "17:59");
    EXPECT_EQ(edit.OnKillFocus(), Action::Nothing);
}

TEST(TimeEditTwelveHour, AZeroHourIsRaisedToOneWhenTheFocusLeaves) {
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    edit.SetTime(17, 30);
    Type(edit, "00");
    EXPECT_EQ(edit.Text(), "00:30 PM");
    edit.OnKillFocus();
    EXPECT_EQ(edit.Text(), "01:30 PM");
    EXPECT_EQ(edit.ShownTime(), (TimeOfDay{13, 30}));
}

TEST(TimeEditSpin, TheUpArrowsNegativeStepRaisesTheValue) {
    TimeEditModel edit("HH:mm:ss", "AM", "PM");
    edit.SetTime(10, 0);
    EXPECT_EQ(edit.OnSpin(-1), Action::Redraw);
    EXPECT_EQ(edit.Text(), "11:00");
    edit.OnSpin(1);
    edit.OnSpin(1);
    EXPECT_EQ(edit.Text(), "09:00");
    edit.SetTime(0, 0);
    edit.OnSpin(1);
    EXPECT_EQ(edit.Text(), "23:00");
}

TEST(TimeEditQuotedLiterals, QuotedTextIsShownWithoutItsQuotes) {
    TimeEditModel edit("HH' h 'mm' min 'ss", "", "");
    ASSERT_EQ(edit.Segments().size(), 3u);  // the literal before the seconds goes with them
    EXPECT_EQ(edit.Picture(), "HH' h 'mm");
    edit.SetTime(17, 30);
    EXPECT_EQ(edit.Text(), "17 h 30");
    edit.OnKeyDown(Key::Right);
    EXPECT_EQ(edit.Selection(), (TextRange{5, 7}));

    // Field letters inside quotes stay text; two quotes are one quote.
    TimeEditModel hours("'Time: 'HH''mm", "", "");
    hours.SetTime(7, 5);
    EXPECT_EQ(hours.Text(), "Time: 07'05");
    EXPECT_EQ(hours.CurrentSegment(), 1);
    EXPECT_EQ(hours.ShownTime(), (TimeOfDay{7, 5}));
    TimeEditModel unclosed("HH:mm' Uhr", "", "");
    unclosed.SetTime(7, 5);
    EXPECT_EQ(unclosed.Text(), "07:05 Uhr");
}

TEST(TimeEditCaret, TheCaretSelectsTheFieldItTouches) {
    TimeEditModel edit("HH' h 'mm", "", "");
    edit.SetTime(17, 30);
    const struct {
        size_t caret;
        int segment;
    } cases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 2}, {4, 2}, {5, 2}, {7, 2}, {99, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(edit.SelectAtCaret(c.caret), Action::Redraw);
        EXPECT_EQ(edit.CurrentSegment(), c.segment) << "caret " << c.caret;
    }
    EXPECT_EQ(edit.OnKeyDown(Key::Home), Action::DefaultThenSelectAtCaret);
    EXPECT_EQ(edit.OnKeyDown(Key::End), Action::DefaultThenSelectAtCaret);
    EXPECT_EQ(edit.OnKeyDown(Key::Delete), Action::Nothing);
    EXPECT_EQ(edit.Text(), "17 h 30");
}

TEST(TimeEditDesignators, CountCharactersNotBytes) {
    TimeEditModel korean("tt h:mm:ss", "오전", "오후");
    EXPECT_EQ(korean.Picture(), "tt hh:mm");
    korean.SetTime(17, 30);
    EXPECT_EQ(korean.Text(), "오후 05:30");
    EXPECT_EQ(korean.Selection(), (TextRange{0, 2}));  // UTF-16 units, as the edit counts
    korean.OnKeyDown(Key::Right);
    EXPECT_EQ(korean.Selection(), (TextRange{3, 5}));

    // A single "t" takes the first character of each designator.
    TimeEditModel one("h:mm t", "a.m.", "p.m.");
    EXPECT_EQ(one.Segments().back().choices, (std::vector<std::string>{"a", "p"}));
    TimeEditModel japanese("t h:mm", "午前", "午後");
    EXPECT_EQ(japanese.Segments().front().choices, (std::vector<std::string>{"午", "午"}));
}

TEST(TimeEditEmptyFormat, HasNothingToEdit) {
    TimeEditModel edit("", "AM", "PM");
    EXPECT_EQ(edit.CurrentSegment(), -1);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.OnKeyDown(Key::Up), Action::Nothing);
    EXPECT_EQ(edit.OnKeyDown(Key::Right), Action::Nothing);
    EXPECT_EQ(edit.OnKeyDown(Key::Digit, U'3'), Action::Default);
    EXPECT_EQ(edit.SelectAtCaret(0), Action::Nothing);
    EXPECT_EQ(edit.ShownTime(), (TimeOfDay{0, 0}));
}

TEST(TimeEditGetTime, TodaysDateWithTheShownTimeAndTheClocksSecond) {
    os::sim::SimMachine sim;
    sim.clock().SetLocalTime({2026, 4, 0, 9, 8, 15, 41, 0});
    TimeEditModel edit("h:mm:ss tt", "AM", "PM");
    edit.SetTime(*CKrvFileTime::FromFields(2020, 1, 1, 17, 30, 0));
    const CKrvFileTime time = edit.GetTime(sim.clock());
    EXPECT_EQ(time.ToSystemTime(), (os::SystemTime{2026, 4, 4, 9, 17, 30, 41, 0}));
}

// A format that cannot show a time faithfully gives way to "HH:mm": 17:30 must not come back as
// 05:30.
TEST(TimeEditFormat, FallsBackTo24HoursWhenTheLocaleCannotShowTheTimeFaithfully) {
    EXPECT_EQ(ShowableTimeFormat("h:mm:ss tt", "AM", "PM"), "h:mm:ss tt");
    EXPECT_EQ(ShowableTimeFormat("HH:mm:ss", "", ""), "HH:mm:ss");
    EXPECT_EQ(ShowableTimeFormat("H.mm", "", ""), "H.mm");
    // 12 hours without designators, or without the field that shows them.
    EXPECT_EQ(ShowableTimeFormat("h:mm:ss tt", "", ""), "HH:mm");
    EXPECT_EQ(ShowableTimeFormat("hh:mm", "AM", "PM"), "HH:mm");
    // One-letter designators that read the same ("午前" and "午後" both start with 午).
    EXPECT_EQ(ShowableTimeFormat("t h:mm", "\xE5\x8D\x88\xE5\x89\x8D", "\xE5\x8D\x88\xE5\xBE\x8C"),
              "HH:mm");
    EXPECT_EQ(ShowableTimeFormat("tt h:mm", "\xE5\x8D\x88\xE5\x89\x8D", "\xE5\x8D\x88\xE5\xBE\x8C"),
              "tt h:mm");
    // No hour or no minute field.
    EXPECT_EQ(ShowableTimeFormat("mm:ss", "", ""), "HH:mm");
    EXPECT_EQ(ShowableTimeFormat("HH 'h'", "", ""), "HH:mm");
    EXPECT_EQ(ShowableTimeFormat("", "", ""), "HH:mm");

    TimeEditModel edit(ShowableTimeFormat("h:mm tt", "", ""), "", "");
    edit.SetTime(17, 30);
    EXPECT_EQ(edit.Text(), "17:30");
    EXPECT_EQ(edit.ShownTime(), (TimeOfDay{17, 30}));
}

}  // namespace
}  // namespace settings
