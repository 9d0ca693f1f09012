#include "settings/time_edit_model.h"

#include <algorithm>

#include "os/text.h"

namespace settings {

namespace {

bool IsFieldLetter(char c) {
    return c == 'H' || c == 'h' || c == 'm' || c == 's' || c == 't';
}

// The first count characters (code points, not bytes) of text.
std::string Prefix(std::string_view text, size_t count) {
    size_t pos = 0;
    for (size_t i = 0; i < count && pos < text.size(); ++i) {
        bool valid = true;
        os::DecodeCodePoint(text, pos, valid);
    }
    return std::string(text.substr(0, pos));
}

uint32_t FirstCodePoint(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    size_t pos = 0;
    bool valid = true;
    return os::DecodeCodePoint(text, pos, valid);
}

TimeSegment Number(TimeField field, int minimum, int maximum) {
    TimeSegment s;
    s.kind = TimeSegmentKind::Number;
    s.field = field;
    s.minimum = minimum;
    s.maximum = maximum;
    s.width = 2;
    s.value = minimum;
    return s;
}

// A literal as GetTimeFormat reads it: quoted when it holds a field letter or a quote.
std::string QuotedLiteral(const std::string& text) {
    if (std::none_of(text.begin(), text.end(),
                     [](char c) { return IsFieldLetter(c) || c == '\''; })) {
        return text;
    }
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

int Clamp(int value, int minimum, int maximum) {
    return std::min(std::max(value, minimum), maximum);
}

}  // namespace

std::string ShowableTimeFormat(std::string_view timeFormat, std::string_view amDesignator,
                               std::string_view pmDesignator) {
    const TimeEditModel model(timeFormat, amDesignator, pmDesignator);
    bool hour24 = false;
    bool hour12 = false;
    bool minute = false;
    bool designator = false;
    for (const TimeSegment& s : model.Segments()) {
        hour24 = hour24 || s.field == TimeField::Hour24;
        hour12 = hour12 || s.field == TimeField::Hour12;
        minute = minute || s.field == TimeField::Minute;
        // Designators that cannot be told apart are as good as none.
        designator = designator || (s.field == TimeField::Designator && s.choices.size() == 2 &&
                                    !s.choices[0].empty() && !s.choices[1].empty() &&
                                    s.choices[0] != s.choices[1]);
    }
    const bool faithful = minute && (hour24 || (hour12 && designator));
    return faithful ? std::string(timeFormat) : std::string("HH:mm");
}

TimeEditModel::TimeEditModel(std::string_view timeFormat, std::string_view amDesignator,
                             std::string_view pmDesignator) {
    Parse(timeFormat, amDesignator, pmDesignator);
    BuildPicture();
    for (size_t i = 0; i < segments_.size(); ++i) {
        if (segments_[i].kind != TimeSegmentKind::Literal) {
            current_ = static_cast<int>(i);
            break;
        }
    }
}

void TimeEditModel::Parse(std::string_view format, std::string_view am, std::string_view pm) {
    size_t i = 0;
    while (i < format.size()) {
        const char letter = format[i];
        if (IsFieldLetter(letter)) {
            size_t run = 1;
            while (i + run < format.size() && format[i + run] == letter) {
                ++run;
            }
            i += run;
            switch (letter) {
                case 'H':
                    segments_.push_back(Number(TimeField::Hour24, 0, 23));
                    break;
                case 'h':
                    segments_.push_back(Number(TimeField::Hour12, 1, 12));
                    break;
                case 'm':
                    segments_.push_back(Number(TimeField::Minute, 0, 59));
                    break;
                case 's':
                    // Seconds are not shown, and neither is the separator in front of them.
                    if (!segments_.empty() && segments_.back().kind == TimeSegmentKind::Literal) {
                        segments_.pop_back();
                    }
                    break;
                default: {  // 't'
                    TimeSegment s;
                    s.kind = TimeSegmentKind::Choice;
                    s.field = TimeField::Designator;
                    s.width = run == 1 ? 1 : 2;
                    s.choices = {Prefix(am, static_cast<size_t>(s.width)),
                                 Prefix(pm, static_cast<size_t>(s.width))};
                    s.maximum = 1;
                    segments_.push_back(std::move(s));
                    break;
                }
            }
            continue;
        }
        std::string literal;
        while (i < format.size() && !IsFieldLetter(format[i])) {
            if (format[i] != '\'') {
                literal += format[i++];
                continue;
            }
            if (i + 1 < format.size() && format[i + 1] == '\'') {
                literal += '\'';
                i += 2;
                continue;
            }
            // Quoted text runs to the closing quote (or the end), field letters included.
            ++i;
            while (i < format.size()) {
                if (format[i] == '\'') {
                    if (i + 1 < format.size() && format[i + 1] == '\'') {
                        literal += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += format[i++];
            }
        }
        AppendLiteral(literal);
    }
}

void TimeEditModel::AppendLiteral(const std::string& text) {
    if (text.empty()) {
        return;
    }
    if (!segments_.empty() && segments_.back().kind == TimeSegmentKind::Literal) {
        segments_.back().text += text;
        segments_.back().width = static_cast<int>(os::Utf16Length(segments_.back().text));
        return;
    }
    TimeSegment s;
    s.kind = TimeSegmentKind::Literal;
    s.field = TimeField::Text;
    s.text = text;
    s.width = static_cast<int>(os::Utf16Length(text));
    segments_.push_back(std::move(s));
}

void TimeEditModel::BuildPicture() {
    picture_.clear();
    for (const TimeSegment& s : segments_) {
        switch (s.field) {
            case TimeField::Hour24:
                picture_ += "HH";
                break;
            case TimeField::Hour12:
                picture_ += "hh";
                break;
            case TimeField::Minute:
                picture_ += "mm";
                break;
            case TimeField::Designator:
                picture_ += s.width == 1 ? "t" : "tt";
                break;
            case TimeField::Text:
                picture_ += QuotedLiteral(s.text);
                break;
        }
    }
}

std::string TimeEditModel::SegmentText(const TimeSegment& segment) const {
    switch (segment.kind) {
        case TimeSegmentKind::Number: {
            std::string digits = std::to_string(segment.value);
            if (digits.size() < static_cast<size_t>(segment.width)) {
                digits.insert(0, static_cast<size_t>(segment.width) - digits.size(), '0');
            }
            return digits;
        }
        case TimeSegmentKind::Choice:
            return segment.choices[static_cast<size_t>(segment.value)];
        case TimeSegmentKind::Literal:
            break;
    }
    return segment.text;
}

std::string TimeEditModel::Text() const {
    std::string text;
    for (const TimeSegment& s : segments_) {
        text += SegmentText(s);
    }
    return text;
}

TextRange TimeEditModel::Selection() const {
    size_t start = 0;
    for (size_t i = 0; i < segments_.size(); ++i) {
        const size_t length = os::Utf16Length(SegmentText(segments_[i]));
        if (static_cast<int>(i) == current_) {
            return {start, start + length};
        }
        start += length;
    }
    return {};
}

void TimeEditModel::SetTime(int hour, int minute) {
    hour = Clamp(hour, 0, 23);
    minute = Clamp(minute, 0, 59);
    for (TimeSegment& s : segments_) {
        s.typedDigits = 0;
        switch (s.field) {
            case TimeField::Hour24:
                s.value = hour;
                break;
            case TimeField::Hour12:
                s.value = hour % 12 == 0 ? 12 : hour % 12;
                break;
            case TimeField::Minute:
                s.value = minute;
                break;
            case TimeField::Designator:
                s.value = hour >= 12 ? 1 : 0;
                break;
            case TimeField::Text:
                break;
        }
    }
}

void TimeEditModel::SetTime(const CKrvFileTime& time) {
    SetTime(time.Hour(), time.Minute());
}

const TimeSegment* TimeEditModel::Find(TimeField field) const {
    const auto it = std::find_if(segments_.begin(), segments_.end(),
                                 [field](const TimeSegment& s) { return s.field == field; });
    return it == segments_.end() ? nullptr : &*it;
}

TimeOfDay TimeEditModel::ShownTime() const {
    TimeOfDay time;
    if (const TimeSegment* h24 = Find(TimeField::Hour24)) {
        time.hour = Clamp(h24->value, h24->minimum, h24->maximum);
    } else if (const TimeSegment* h12 = Find(TimeField::Hour12)) {
        time.hour = Clamp(h12->value, h12->minimum, h12->maximum);
        const TimeSegment* designator = Find(TimeField::Designator);
        const bool pm = designator != nullptr && designator->value == 1;
        if (pm && time.hour < 12) {
            time.hour += 12;
        } else if (!pm && time.hour == 12) {
            time.hour = 0;
        }
    }
    if (const TimeSegment* m = Find(TimeField::Minute)) {
        time.minute = Clamp(m->value, m->minimum, m->maximum);
    }
    return time;
}

CKrvFileTime TimeEditModel::GetTime(os::Clock& clock) const {
    const os::SystemTime now = clock.LocalTime();
    const TimeOfDay shown = ShownTime();
    if (const auto time = CKrvFileTime::FromFields(now.year, now.month, now.day, shown.hour,
                                                   shown.minute, now.second)) {
        return *time;
    }
    // A clock outside the FILETIME range: the time of day still counts.
    return CKrvFileTime::FromFields(1601, 1, 1, shown.hour, shown.minute, 0)
        .value_or(CKrvFileTime());
}

void TimeEditModel::Select(int index) {
    current_ = index;
    if (index >= 0) {
        segments_[static_cast<size_t>(index)].typedDigits = 0;
    }
}

int TimeEditModel::Neighbour(int direction) const {
    const int count = static_cast<int>(segments_.size());
    for (int step = 1; step <= count; ++step) {
        const int index = ((current_ + direction * step) % count + count) % count;
        if (segments_[static_cast<size_t>(index)].kind != TimeSegmentKind::Literal) {
            return index;
        }
    }
    return current_;
}

// Beyond the maximum goes to the minimum and below the minimum to the maximum.
TimeEditAction TimeEditModel::Step(int delta) {
    if (current_ < 0) {
        return TimeEditAction::Nothing;
    }
    TimeSegment& s = segments_[static_cast<size_t>(current_)];
    const long long next = static_cast<long long>(s.value) + delta;
    if (next > s.maximum) {
        s.value = s.minimum;
    } else if (next < s.minimum) {
        s.value = s.maximum;
    } else {
        s.value = static_cast<int>(next);
    }
    // The shown number is no longer the one being typed.
    s.typedDigits = 0;
    return TimeEditAction::Redraw;
}

// The digits typed so far (the rightmost typedDigits characters of the number) and the new one,
// cut to the width; taken without a range check until the focus leaves.
TimeEditAction TimeEditModel::TypeDigit(int digit) {
    TimeSegment& s = segments_[static_cast<size_t>(current_)];
    const std::string shown = SegmentText(s);
    const size_t kept = std::min(static_cast<size_t>(s.typedDigits), shown.size());
    std::string digits = shown.substr(shown.size() - kept);
    digits += static_cast<char>('0' + digit);
    if (digits.size() > static_cast<size_t>(s.width)) {
        digits.erase(0, digits.size() - static_cast<size_t>(s.width));
    }
    s.value = std::stoi(digits);
    ++s.typedDigits;
    if (s.typedDigits >= s.width) {
        s.typedDigits = 0;
    }
    return TimeEditAction::Redraw;
}

TimeEditAction TimeEditModel::TypeLetter(char32_t letter) {
    TimeSegment& s = segments_[static_cast<size_t>(current_)];
    const uint32_t wanted = os::UpcaseCodePoint(static_cast<uint32_t>(letter));
    for (size_t i = 0; i < s.choices.size(); ++i) {
        const uint32_t first = FirstCodePoint(s.choices[i]);
        if (first != 0 && os::UpcaseCodePoint(first) == wanted) {
            s.value = static_cast<int>(i);
            return TimeEditAction::Redraw;
        }
    }
    return TimeEditAction::Nothing;
}

TimeEditAction TimeEditModel::OnKeyDown(TimeEditKey key, char32_t character) {
    switch (key) {
        case TimeEditKey::Up:
        case TimeEditKey::PageUp:
            return Step(1);
        case TimeEditKey::Down:
        case TimeEditKey::PageDown:
            return Step(-1);
        case TimeEditKey::Left:
        case TimeEditKey::Right:
            if (current_ < 0) {
                return TimeEditAction::Nothing;
            }
            Select(Neighbour(key == TimeEditKey::Left ? -1 : 1));
            return TimeEditAction::Redraw;
        case TimeEditKey::Home:
        case TimeEditKey::End:
            return TimeEditAction::DefaultThenSelectAtCaret;
        case TimeEditKey::Delete:
            return TimeEditAction::Nothing;
        case TimeEditKey::Digit:
            if (current_ >= 0 && character >= U'0' && character <= U'9' &&
                segments_[static_cast<size_t>(current_)].kind == TimeSegmentKind::Number) {
                return TypeDigit(static_cast<int>(character - U'0'));
            }
            return TimeEditAction::Default;
        case TimeEditKey::Letter:
            if (current_ >= 0 &&
                segments_[static_cast<size_t>(current_)].kind == TimeSegmentKind::Choice) {
                return TypeLetter(character);
            }
            return TimeEditAction::Default;
    }
    return TimeEditAction::Default;
}

TimeEditAction TimeEditModel::OnSpin(int step) {
    return Step(-step);
}

TimeEditAction TimeEditModel::SelectAtCaret(size_t caret) {
    // Each field's place in the text; the caret belongs to the field it touches (the one that
    // starts at it before the one that ends at it), and in literal text to the field after it,
    // or before it at the end.
    int touching = -1;
    int after = -1;
    int before = -1;
    size_t start = 0;
    for (size_t i = 0; i < segments_.size(); ++i) {
        const TimeSegment& s = segments_[i];
        const size_t end = start + os::Utf16Length(SegmentText(s));
        if (s.kind != TimeSegmentKind::Literal) {
            const int index = static_cast<int>(i);
            if (caret >= start && caret < end) {
                touching = index;
                break;
            }
            if (caret == end && touching < 0) {
                touching = index;
            }
            if (start > caret && after < 0) {
                after = index;
            }
            if (end <= caret) {
                before = index;
            }
        }
        start = end;
    }
    const int chosen = touching >= 0 ? touching : after >= 0 ? after : before;
    if (chosen < 0) {
        return TimeEditAction::Nothing;
    }
    Select(chosen);
    return TimeEditAction::Redraw;
}

TimeEditAction TimeEditModel::OnKillFocus() {
    bool changed = false;
    for (TimeSegment& s : segments_) {
        if (s.kind == TimeSegmentKind::Number) {
            const int clamped = Clamp(s.value, s.minimum, s.maximum);
            changed = changed || clamped != s.value;
            s.value = clamped;
        }
    }
    return changed ? TimeEditAction::Redraw : TimeEditAction::Nothing;
}

}  // namespace settings
