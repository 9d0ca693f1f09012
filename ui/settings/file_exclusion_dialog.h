#pragma once
// The file exclusion dialog (200): the file types registered on the computer on the left, the
// extensions to leave out of the backup on the right, and a field for typing any extension. It
// stores nothing itself: after OK, extensions() holds the right-hand list from top to bottom for
// the Advanced page to store.

#include <string>
#include <vector>

#include "framework/controls.h"
#include "settings/exclusion_list.h"
#include "ui/common/base_dialog.h"
#include "ui/common/shell_services.h"

namespace ui {

// The entry field: characters that a file name may not contain never get in, whether typed,
// composed by an input method or pasted.
class CKRVExtensionEdit : public fw::Window {
  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CKRVFileExclusionDlg : public CKRVBaseDlg {
  public:
    CKRVFileExclusionDlg(ShellServices& shell, HWND parent);

    // The excluded extensions in the order of the list, set when OK closed the dialog.
    const std::vector<std::string>& extensions() const { return extensions_; }

    // What Enter and the buttons act on.
    enum class InputMode { Typed, List };
    InputMode inputMode() const { return inputMode_; }

    // Add and Remove as the buttons do them.
    void Add();
    void Remove();

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    void OnOK() override;

  private:
    fw::ListView Known() const { return fw::ListView(Item(IDC_KNOWN)); }
    fw::ListView Excluded() const { return fw::ListView(Item(IDC_EXCLUDED)); }
    void SetUpColumns(const fw::ListView& list) const;
    static int AppendRow(const fw::ListView& list, const std::string& description,
                         const std::string& extension);
    // Moves one row to the end of the excluded list (to its sorted place in the known list).
    void MoveRow(const fw::ListView& from, int row, const fw::ListView& to);
    // The row of the list with this extension, -1 for none.
    static int FindExtension(const fw::ListView& list, const std::string& extension,
                             bool ignoreCase);
    // A stored entry as it is, with its registered description when it has one.
    void AddStoredEntry(const std::string& entry);
    void AddTyped(const std::string& typed);
    void SelectFirstKnownRow() const;
    // Takes out what must not be there of text that came in by any way.
    void CleanTypedText();

    static constexpr int IDC_KNOWN = 1016;
    static constexpr int IDC_EXCLUDED = 1000;
    static constexpr int IDC_TYPED = 1002;

    ShellServices& shell_;
    CKRVExtensionEdit typedEdit_;
    InputMode inputMode_ = InputMode::List;
    std::vector<std::string> extensions_;
    bool cleaning_ = false;
};

}  // namespace ui
