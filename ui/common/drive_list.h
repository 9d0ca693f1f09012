#pragma once
// The owner-drawn list of the maker's drives from which the user picks the destination: one row
// per drive of the process-wide drive array, with its icon, its display text and, on a second
// line, the volume name of the disk in it (or "( No disk in drive )").
//
// Each row keeps what it showed when it was filled, its root path included, so that the drive a
// row stands for does not change when another thread rebuilds the drive array. The list box's
// string of a row is what the row shows (both lines), so screen readers read the row as it looks.

#include <string>
#include <vector>

#include "engine/shared_drives.h"
#include "framework/gdi.h"
#include "framework/window.h"

namespace ui {

struct DriveListRow {
    int iconId = 0;           // the drive's icon resource (getIcon(kIconLarge)); 0 for none
    std::string displayText;  // getLabelText: "FERROLIN1 (F:)"
    std::string volumeText;   // the volume name, or "( No disk in drive )"
    std::string rootPath;     // "F:\"
};

class CKRVDriveListBox : public fw::Window {
  public:
    explicit CKRVDriveListBox(engine::SharedDrives& drives);
    ~CKRVDriveListBox() override;

    // Takes over the dialog's list box (owner-drawn with variable row heights and strings).
    bool Attach(HWND dialog, int id);

    // Rebuilds the rows from the drive array as it is now (read under its mutex; callers that
    // want fresh drives rebuild the array first). The drive selected before, or else the one
    // last chosen with SelectDriveByLetter, is selected again when it is still there; otherwise
    // nothing is. Returns the number of drives.
    int FillDrives();
    // The root path of the drive in the selected row ("E:\"); empty when no row is selected or
    // the list is empty. Callers refuse to go on without a destination.
    std::string SelectedRootPath() const;
    // Selects the row of the drive with this letter (either case), and remembers the drive for
    // later fills; fills the list first when it has not been filled yet. The row index, or -1
    // when no drive has this letter (the selection is then unchanged).
    int SelectDriveByLetter(char letter);

    bool filled() const { return filled_; }
    bool hasRows() const { return hasRows_; }
    const std::vector<DriveListRow>& rows() const { return rows_; }
    // The row height and the icon size in pixels for the list's screen (40 and 32 at 96 DPI).
    int RowHeight() const;
    int IconSize() const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void Measure(MEASUREITEMSTRUCT& item) const;
    void Draw(const DRAWITEMSTRUCT& item);
    HICON IconFor(int iconId);
    void ReleaseIcons();

    engine::SharedDrives& drives_;
    std::vector<DriveListRow> rows_;
    bool filled_ = false;
    bool hasRows_ = false;
    char rememberedLetter_ = '\0';
    struct LoadedIcon {
        int id = 0;
        int size = 0;
        HICON icon = nullptr;
    };
    std::vector<LoadedIcon> icons_;
};

}  // namespace ui
