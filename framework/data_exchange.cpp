#include "framework/data_exchange.h"

#include "framework/text.h"

namespace fw {

void DataExchange::Text(int id, std::string& value, size_t maxChars) {
    const HWND control = GetDlgItem(dialog_, id);
    if (control == nullptr) {
        return;
    }
    if (pull_) {
        value = GetText(control);
        if (maxChars != 0) {
            std::wstring wide = Wide(value);
            if (wide.size() > maxChars) {
                wide.resize(maxChars);
                value = Utf8(wide);
            }
        }
    } else {
        SetText(control, value);
    }
}

void DataExchange::Number(int id, int32_t& value) {
    std::string text = std::to_string(value);
    Text(id, text);
    if (pull_ && GetDlgItem(dialog_, id) != nullptr) {
        value = static_cast<int32_t>(ParseLeadingNumber(text));
    }
}

void DataExchange::Number(int id, uint32_t& value) {
    std::string text = std::to_string(value);
    Text(id, text);
    if (pull_ && GetDlgItem(dialog_, id) != nullptr) {
        value = static_cast<uint32_t>(ParseLeadingNumber(text));
    }
}

void DataExchange::Check(int id, int& value) {
    const HWND control = GetDlgItem(dialog_, id);
    if (control == nullptr) {
        return;
    }
    if (pull_) {
        value = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    } else {
        SendMessageW(control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void DataExchange::Radio(int firstId, int& index) {
    HWND control = GetDlgItem(dialog_, firstId);
    if (control == nullptr) {
        return;
    }
    if (pull_) {
        index = -1;
    }
    int position = 0;
    do {
        if (pull_) {
            if (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                index = position;
            }
        } else {
            SendMessageW(control, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++position;
        control = GetWindow(control, GW_HWNDNEXT);
    } while (control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_GROUP) == 0);
}

void DataExchange::ListBoxIndex(int id, int& index) {
    const HWND control = GetDlgItem(dialog_, id);
    if (control == nullptr) {
        return;
    }
    if (pull_) {
        index = static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0));
    } else {
        SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DataExchange::ComboBoxIndex(int id, int& index) {
    const HWND control = GetDlgItem(dialog_, id);
    if (control == nullptr) {
        return;
    }
    if (pull_) {
        index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
    } else {
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

}  // namespace fw
