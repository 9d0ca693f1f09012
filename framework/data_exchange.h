#pragma once
// Data exchange between a dialog's controls and its fields: one Exchange function per dialog
// names each control and its field, and runs both ways (pull: controls to fields; put: fields to
// controls).

#include <cstdint>
#include <string>

#include "framework/text_format.h"
#include "framework/windows_api.h"

namespace fw {

class DataExchange {
  public:
    DataExchange(HWND dialog, bool pull) : dialog_(dialog), pull_(pull) {}

    bool pulling() const { return pull_; }
    bool ok() const { return ok_; }
    // Marks the exchange as failed (a value the dialog refuses); the dialog stays open.
    void Fail() { ok_ = false; }
    HWND dialog() const { return dialog_; }

    // Window text; at most maxChars characters are kept when pulling (0: no limit).
    void Text(int id, std::string& value, size_t maxChars = 0);
    // A number as decimal text; pulling reads it like the C library's atol (leading blanks, a
    // sign and digits; anything else ends it, and text without digits is 0).
    void Number(int id, int32_t& value);
    void Number(int id, uint32_t& value);
    // A check box: 1 checked, 0 not.
    void Check(int id, int& value);
    // A group of radio buttons that starts at firstId and runs to the next control with
    // WS_GROUP: the index of the checked one, -1 when none.
    void Radio(int firstId, int& index);
    // The selected index of a list box or drop-down list, -1 when none.
    void ListBoxIndex(int id, int& index);
    void ComboBoxIndex(int id, int& index);

  private:
    HWND dialog_;
    bool pull_;
    bool ok_ = true;
};

}  // namespace fw
