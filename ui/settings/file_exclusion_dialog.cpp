#include "ui/settings/file_exclusion_dialog.h"

#include <algorithm>
#include <utility>

#include "framework/text.h"
#include "os/text.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "ui/common/drawing.h"
#include "ui/settings/typed_extension.h"

namespace ui {

namespace {

constexpr char kUserDefinedType[] = "User Defined Type";
constexpr int kExtensionColumnWidth = 36;  // at 96 dots per inch

}  // namespace

LRESULT CKRVExtensionEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Characters from the keyboard and from input methods arrive here; control characters
    // (Backspace, Ctrl+V ...) keep their editing meaning. Pasted text is cleaned by the dialog
    // when the text changes.
    if ((message == WM_CHAR || message == WM_IME_CHAR) && wParam >= 0x20 &&
        IsForbiddenInName(static_cast<char32_t>(wParam))) {
        MessageBeep(MB_OK);
        return 0;
    }
    return fw::Window::WindowProc(message, wParam, lParam);
}

CKRVFileExclusionDlg::CKRVFileExclusionDlg(ShellServices& shell, HWND parent)
    : CKRVBaseDlg(IDD_FILE_EXCLUSION, parent), shell_(shell) {}

void CKRVFileExclusionDlg::SetUpColumns(const fw::ListView& list) const {
    RECT client = {};
    GetClientRect(list.hwnd(), &client);
    // The extension column grows with the screen's scale, as its text does.
    const UINT dpi = DpiOf(list.hwnd());
    const int extension = ScaleToDpi(kExtensionColumnWidth, dpi);
    const int description =
        client.right - client.left - GetSystemMetricsForDpi(SM_CXVSCROLL, dpi) - extension;
    list.InsertColumn(0, "Type Description", description);
    list.InsertColumn(1, "Extension", extension);
    list.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

int CKRVFileExclusionDlg::AppendRow(const fw::ListView& list, const std::string& description,
                                    const std::string& extension) {
    // A sorted list puts the row at its place by description.
    const int row = list.InsertItem(list.Count(), description);
    if (row >= 0) {
        list.SetItemText(row, 1, extension);
    }
    return row;
}

void CKRVFileExclusionDlg::MoveRow(const fw::ListView& from, int row, const fw::ListView& to) {
    const std::string description = from.ItemText(row, 0);
    const std::string extension = from.ItemText(row, 1);
    from.DeleteItem(row);
    AppendRow(to, description, extension);
}

int CKRVFileExclusionDlg::FindExtension(const fw::ListView& list, const std::string& extension,
                                        bool ignoreCase) {
    for (int row = 0; row < list.Count(); ++row) {
        const std::string text = list.ItemText(row, 1);
        if (ignoreCase ? os::EqualsIgnoreCase(text, extension) : text == extension) {
            return row;
        }
    }
    return -1;
}

void CKRVFileExclusionDlg::SelectFirstKnownRow() const {
    const fw::ListView known = Known();
    known.SetSelected(-1, false);  // every row at once
    if (known.Count() > 0) {
        known.SetSelected(0, true);
        LVITEMW focus = {};
        focus.stateMask = LVIS_FOCUSED;
        focus.state = LVIS_FOCUSED;
        known.Send(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    }
}

bool CKRVFileExclusionDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    typedEdit_.SubclassItem(hwnd(), IDC_TYPED);
    const fw::ListView known = Known();
    const fw::ListView excluded = Excluded();
    SetUpColumns(known);
    SetUpColumns(excluded);

    std::vector<settings::KnownFileType> types;
    settings::EnumerateFileTypes(shell_.machine().registry, types);
    // Hundreds of types on a machine with many programs, thousands on some: put in order here
    // once, in the list's own order, and appended with the list's sorting off (each sorted
    // insertion would compare its text with the rows before it); drawn once, when all are in.
    std::vector<std::pair<std::wstring, size_t>> order;
    order.reserve(types.size());
    for (size_t i = 0; i < types.size(); ++i) {
        order.emplace_back(fw::Wide(types[i].description), i);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return lstrcmpW(a.first.c_str(), b.first.c_str()) < 0;
    });
    const LONG_PTR style = GetWindowLongPtrW(known.hwnd(), GWL_STYLE);
    known.Send(WM_SETREDRAW, FALSE);
    SetWindowLongPtrW(known.hwnd(), GWL_STYLE, style & ~static_cast<LONG_PTR>(LVS_SORTASCENDING));
    for (const auto& [description, i] : order) {
        AppendRow(known, types[i].description, types[i].extension);
    }
    SetWindowLongPtrW(known.hwnd(), GWL_STYLE, style);
    known.Send(WM_SETREDRAW, TRUE);

    // A failed read leaves the list empty: nothing is excluded then.
    const settings::CKRVSettingsStore store(shell_.machine().registry, shell_.productKey());
    std::vector<std::string> stored;
    (void)store.ReadFilterList(stored);
    for (const std::string& entry : stored) {
        AddStoredEntry(entry);
    }
    SelectFirstKnownRow();
    return true;
}

// Stored entries go in as they are: a stored "tar.gz" stays "tar.gz" (the typed path would cut
// it to "gz", and the next OK would then leave every .gz file out of the backup).
void CKRVFileExclusionDlg::AddStoredEntry(const std::string& entry) {
    if (entry.empty()) {
        return;
    }
    const fw::ListView known = Known();
    const fw::ListView excluded = Excluded();
    if (FindExtension(excluded, entry, true) >= 0) {
        return;
    }
    // Found with its own letter case, as typing it would; so the stored text stays as it is.
    const int registered = FindExtension(known, entry, false);
    if (registered >= 0) {
        MoveRow(known, registered, excluded);
    } else {
        AppendRow(excluded, kUserDefinedType, entry);
    }
}

void CKRVFileExclusionDlg::AddTyped(const std::string& typed) {
    const std::string extension = settings::NormalizeExtension(typed);
    if (extension.empty()) {
        return;
    }
    const fw::ListView known = Known();
    const fw::ListView excluded = Excluded();
    // An extension already excluded in any letter case is not excluded twice (matching ignores
    // case); a registered type is found only with its own letter case.
    if (FindExtension(excluded, extension, true) >= 0) {
        return;
    }
    const int registered = FindExtension(known, extension, false);
    if (registered >= 0) {
        MoveRow(known, registered, excluded);
    } else {
        AppendRow(excluded, kUserDefinedType, extension);
    }
}

void CKRVFileExclusionDlg::Add() {
    const HWND edit = Item(IDC_TYPED);
    if (inputMode_ == InputMode::List) {
        const fw::ListView known = Known();
        for (int row = 0; row < known.Count();) {
            if (known.IsSelected(row)) {
                MoveRow(known, row, Excluded());
            } else {
                ++row;
            }
        }
    } else {
        const std::string typed = WithoutForbiddenCharacters(fw::GetText(edit));
        if (!typed.empty()) {
            AddTyped(typed);
            fw::SetText(edit, "");
        }
    }
    SelectFirstKnownRow();
}

void CKRVFileExclusionDlg::Remove() {
    const fw::ListView excluded = Excluded();
    for (int row = 0; row < excluded.Count();) {
        if (excluded.IsSelected(row)) {
            MoveRow(excluded, row, Known());
        } else {
            ++row;
        }
    }
}

void CKRVFileExclusionDlg::CleanTypedText() {
    const HWND edit = Item(IDC_TYPED);
    const std::string text = fw::GetText(edit);
    const std::string clean = WithoutForbiddenCharacters(text);
    if (clean == text) {
        return;
    }
    cleaning_ = true;
    fw::SetText(edit, clean);
    const auto end = static_cast<LPARAM>(fw::Wide(clean).size());
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    cleaning_ = false;
}

bool CKRVFileExclusionDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
        case IDC_EXCLUSION_ADD:
            if (code == BN_CLICKED) {
                Add();
                return true;
            }
            break;
        case IDC_EXCLUSION_REMOVE:
            if (code == BN_CLICKED) {
                Remove();
                return true;
            }
            break;
        case IDC_EXCLUSION_HELP:
            if (code == BN_CLICKED) {
                shell_.OpenHelpPage(fw::Wide(fw::LoadText(IDS_HELP_EXCLUSION)));
                return true;
            }
            break;
        case IDC_TYPED:
            if (code == EN_SETFOCUS) {
                inputMode_ = InputMode::Typed;
                return true;
            }
            if (code == EN_CHANGE && !cleaning_) {
                CleanTypedText();
                return true;
            }
            break;
        default:
            break;
    }
    return CKRVBaseDlg::OnCommand(id, code, control);
}

bool CKRVFileExclusionDlg::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_KNOWN) {
        if (header.code == NM_SETFOCUS) {
            inputMode_ = InputMode::List;
        } else if (header.code == NM_DBLCLK) {
            inputMode_ = InputMode::List;
            Add();
            result = 0;
            return true;
        }
    } else if (header.idFrom == IDC_EXCLUDED && header.code == NM_DBLCLK) {
        Remove();
        result = 0;
        return true;
    }
    return CKRVBaseDlg::OnNotify(header, result);
}

// Enter arrives as OK: in the known list or the entry field it adds, in the excluded list it
// removes; only elsewhere (the OK button itself) does it close the dialog.
void CKRVFileExclusionDlg::OnOK() {
    const HWND focus = GetFocus();
    if (focus == Item(IDC_KNOWN) || focus == Item(IDC_TYPED)) {
        Add();
        return;
    }
    if (focus == Item(IDC_EXCLUDED)) {
        Remove();
        return;
    }
    const fw::ListView excluded = Excluded();
    extensions_.clear();
    for (int row = 0; row < excluded.Count(); ++row) {
        extensions_.push_back(excluded.ItemText(row, 1));
    }
    EndDialog(IDOK);
}

}  // namespace ui
