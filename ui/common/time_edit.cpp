#include "ui/common/time_edit.h"

#include "framework/text.h"
#include "os/text.h"

namespace ui {

namespace {

std::string LocaleText(LCTYPE type) {
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length), L'\0');
    const int got = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text.data(), length);
    text.resize(got > 0 ? static_cast<size_t>(got) - 1 : 0);
    return fw::Utf8(text);
}

settings::TimeEditModel ModelFor(const LocaleTimeFormat& format, std::string& used) {
    used = settings::ShowableTimeFormat(format.format, format.am, format.pm);
    return settings::TimeEditModel(used, format.am, format.pm);
}

bool ShiftOrControlHeld() {
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

}  // namespace

LocaleTimeFormat UserTimeFormat() {
    return {LocaleText(LOCALE_STIMEFORMAT), LocaleText(LOCALE_S1159), LocaleText(LOCALE_S2359)};
}

bool CKRVTimeSpin::OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) {
        return false;
    }
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.code != UDN_DELTAPOS || edit_ == nullptr || edit_->hwnd() == nullptr) {
        return false;
    }
    const auto& change = *reinterpret_cast<const NMUPDOWN*>(lParam);
    // The edit changes the field it has selected; it needs the focus to have one.
    if (GetFocus() != edit_->hwnd()) {
        SetFocus(edit_->hwnd());
    }
    edit_->Send(CKRVTimeEdit::kSpinStepMessage, 0, change.iDelta);
    result = TRUE;  // the spin's position stays where it is
    return true;
}

CKRVTimeEdit::CKRVTimeEdit() : CKRVTimeEdit(UserTimeFormat()) {}

CKRVTimeEdit::CKRVTimeEdit(const LocaleTimeFormat& format) : model_(ModelFor(format, format_)) {}

bool CKRVTimeEdit::Attach(HWND dialog, int editId, int spinId) {
    if (!SubclassItem(dialog, editId)) {
        return false;
    }
    if (spinId != 0 && !AttachSpin(GetDlgItem(dialog, spinId))) {
        return false;
    }
    ShowModel();
    return true;
}

bool CKRVTimeEdit::AttachSpin(HWND spin) {
    if (spin_.hwnd() == nullptr && !spin_.Subclass(spin)) {
        return false;
    }
    spin_.edit_ = this;
    // The spin's own position is never used and never moves (its change is refused), so it
    // never reaches an end of its range. The range runs downwards, as an up-down's does by
    // default: the up arrow then reports a step of -1, which raises the field.
    spin_.Send(UDM_SETRANGE32, 100, 0);
    spin_.Send(UDM_SETPOS32, 0, 50);
    return true;
}

void CKRVTimeEdit::SetTime(int hour, int minute) {
    model_.SetTime(hour, minute);
    ShowModel();
}

void CKRVTimeEdit::SetTime(const settings::CKrvFileTime& time) {
    model_.SetTime(time);
    ShowModel();
}

settings::CKrvFileTime CKRVTimeEdit::GetTime(os::Clock& clock) const {
    return model_.GetTime(clock);
}

void CKRVTimeEdit::ShowModel() {
    if (hwnd() == nullptr) {
        return;
    }
    const std::wstring text = fw::Wide(model_.Text());
    DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const settings::TextRange selection = model_.Selection();
    DefaultProc(EM_SETSEL, selection.start, static_cast<LPARAM>(selection.end));
    DefaultProc(EM_SCROLLCARET, 0, 0);
}

void CKRVTimeEdit::Apply(settings::TimeEditAction action) {
    switch (action) {
        case settings::TimeEditAction::Redraw:
            ShowModel();
            break;
        case settings::TimeEditAction::DefaultThenSelectAtCaret:
            SelectAtCaret();
            break;
        case settings::TimeEditAction::Default:
        case settings::TimeEditAction::Nothing:
            break;
    }
}

void CKRVTimeEdit::SelectAtCaret() {
    DWORD start = 0;
    DWORD end = 0;
    DefaultProc(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    Apply(model_.SelectAtCaret(end));
}

LRESULT CKRVTimeEdit::OnKeyDown(WPARAM key, LPARAM lParam) {
    using settings::TimeEditAction;
    using settings::TimeEditKey;
    auto forward = [&](TimeEditKey which, char32_t character = 0) {
        const TimeEditAction action = model_.OnKeyDown(which, character);
        if (action == TimeEditAction::Default) {
            return DefaultProc(WM_KEYDOWN, key, lParam);
        }
        if (action == TimeEditAction::DefaultThenSelectAtCaret) {
            const LRESULT result = DefaultProc(WM_KEYDOWN, key, lParam);
            SelectAtCaret();
            return result;
        }
        Apply(action);
        return LRESULT{0};
    };
    switch (key) {
        case VK_UP:
            return forward(TimeEditKey::Up);
        case VK_DOWN:
            return forward(TimeEditKey::Down);
        case VK_PRIOR:
            return forward(TimeEditKey::PageUp);
        case VK_NEXT:
            return forward(TimeEditKey::PageDown);
        case VK_LEFT:
            return forward(TimeEditKey::Left);
        case VK_RIGHT:
            return forward(TimeEditKey::Right);
        case VK_HOME:
            return forward(TimeEditKey::Home);
        case VK_END:
            return forward(TimeEditKey::End);
        case VK_DELETE:
            return forward(TimeEditKey::Delete);
        default:
            break;
    }
    if (!ShiftOrControlHeld()) {
        if (key >= '0' && key <= '9') {
            return forward(TimeEditKey::Digit, static_cast<char32_t>(key));
        }
        if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
            return forward(TimeEditKey::Digit, static_cast<char32_t>('0' + (key - VK_NUMPAD0)));
        }
        if (key >= 'A' && key <= 'Z') {
            // The letter the key types in the user's layout (the designator may not be Latin).
            BYTE state[256] = {};
            GetKeyboardState(state);
            wchar_t typed[4] = {};
            const int count = ToUnicode(static_cast<UINT>(key), (lParam >> 16) & 0xFF, state, typed,
                                        4, 0x4 /* do not change the keyboard state */);
            const char32_t letter =
                count == 1 ? static_cast<char32_t>(typed[0]) : static_cast<char32_t>(key);
            return forward(TimeEditKey::Letter, letter);
        }
    }
    // Ctrl+C copies what is shown; other keys that would change the text are never handed on.
    if (GetKeyState(VK_CONTROL) < 0 && (key == 'C' || key == VK_INSERT)) {
        return DefaultProc(WM_KEYDOWN, key, lParam);
    }
    if (key == VK_BACK) {
        return 0;
    }
    return DefaultProc(WM_KEYDOWN, key, lParam);
}

LRESULT CKRVTimeEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            // The arrows change the fields; and getting the focus by Tab selects the field at
            // the caret, not the whole text.
            return (DefaultProc(message, wParam, lParam) | DLGC_WANTARROWS) & ~DLGC_HASSETSEL;
        case WM_KEYDOWN:
            return OnKeyDown(wParam, lParam);
        case WM_CHAR:
            // Typing goes through the fields; only Ctrl+C (character 3) is let through, to copy.
            if (wParam == 3) {
                return DefaultProc(message, wParam, lParam);
            }
            return 0;
        case WM_LBUTTONDBLCLK:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_SETFOCUS: {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            SelectAtCaret();
            return result;
        }
        case WM_KILLFOCUS: {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            Apply(model_.OnKillFocus());
            return result;
        }
        case kSpinStepMessage:
            if (GetFocus() == hwnd()) {
                Apply(model_.OnSpin(static_cast<int>(lParam)));
            }
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ui
