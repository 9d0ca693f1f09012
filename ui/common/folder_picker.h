#pragma once
// The folder picker (dialog 129), where the user chooses the source folders: a tree of the
// allowed drives with their folders on the left (children read when a node opens), the chosen
// folders on the right with their total size below. Folders reach the list with "&Add >", by
// dragging a tree item onto the list, or by dropping folders from the shell onto it; "< &Remove"
// and Delete take them out; "&New Folder..." creates one through the create-folder dialog (120).
// OK hands the list back in list order; Cancel changes nothing.
//
// Paths of any length and script work; a drive root is handed back as "C:\". The size is summed
// on a thread of its own ("..." shows until it is known), so a large folder never freezes the
// window. Every way into the list applies the same checks: the drive must be one the picker
// allows, the same folder on another drive is confirmed with dialog 208, and at most 255 folders
// are taken.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/folder_size_worker.h"
#include "framework/controls.h"
#include "framework/drag_drop.h"
#include "framework/message_filter.h"
#include "os/file_system.h"
#include "ui/common/base_dialog.h"

namespace ui {

// Opens a help page that lies beside the program ("resource\0201a.html").
using HelpOpener = std::function<void(std::wstring_view page)>;

// The drives source folders may be on: the present drives of the fixed or the remote type
// (bit 0 for A:). Removable drives are never among them.
uint32_t SourceDriveMask(os::FileSystem& files);

// The list control of the picker, which takes folders dropped from the shell.
class CKRVFolderDropList : public fw::Window {
  public:
    using OnDrop = std::function<void(const std::vector<std::string>& names)>;
    bool Attach(HWND dialog, int id, OnDrop onDrop);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    OnDrop onDrop_;
};

class CKRVFolderPickerDlg : public CKRVBaseDlg {
  public:
    // The most folders the list takes.
    static constexpr int kMaxFolders = 255;

    // initialFolder: where the tree opens (a folder path, with or without a trailing backslash;
    // empty: nowhere). allowedDrives: the drives the tree may show (bit 0 for A:); removable
    // drives and the maker's drives are left out whatever the mask says.
    CKRVFolderPickerDlg(os::FileSystem& files, HelpOpener openHelp, std::string initialFolder,
                        uint32_t allowedDrives, HWND parent = nullptr);
    ~CKRVFolderPickerDlg() override;

    // In: the caller's folders. Out, after OK: the list's folders in list order.
    std::vector<std::string> selectedFolders;

    // What the list holds now, in list order.
    const std::vector<std::string>& ListedFolders() const { return listed_; }
    // Puts a folder into the list as "&Add >" does: its drive must be allowed (dialog 127
    // otherwise), the same folder on another drive is confirmed with dialog 208, a folder listed
    // already is not added again, and nothing is added beyond kMaxFolders. True when the folder
    // is in the list afterwards.
    bool AddFolder(const std::string& path);
    // The full path of the tree's selected item, with a trailing backslash ("C:\Data\"); empty
    // when nothing is selected.
    std::string SelectedTreePath() const;
    // Opens the tree down to a folder and selects it; false when some part of the path is not
    // in the tree (the selection then stays on the deepest part found).
    bool SelectPath(const std::string& path);
    // The folder a tree item stands for, with a trailing backslash.
    std::string TreeItemPath(HTREEITEM item) const;
    // The total size is known for the list as it is now (the size text shows a figure, not
    // "...").
    bool SizeKnown() const { return sizeShown_ != 0 && sizeShown_ == sizeRequest_; }
    // Waits (handling this thread's messages) until the size is known; false on time-out.
    bool WaitForSize(DWORD milliseconds);

    const std::string& initialFolder() const { return initialFolder_; }
    HWND tree() const { return tree_.hwnd(); }
    HWND list() const { return list_.hwnd(); }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override;

  private:
    friend class CKRVNewFolderDlg;
    struct Probes;
    struct Subfolder {
        std::string name;
        bool hasSubfolders = false;
    };

    bool IsAllowedDrive(char letter) const;
    bool IsRemoteDrive(char letter) const;
    // The subfolders of a folder, sorted; 0 or the error of the search (2: none at all). A
    // network drive that does not answer within a second gives 1231.
    uint32_t ReadSubfolders(const std::string& folder, std::vector<Subfolder>& subfolders);
    std::string DisplayName(const std::string& path, const std::string& fallback);
    HTREEITEM InsertTreeItem(HTREEITEM parent, const std::string& name, const std::string& text,
                             int image, int selectedImage, bool hasChildren);
    // requestSize false: the caller asks for the size once after a batch.
    bool AddFolderAt(const std::string& path, int index, int image, bool askAboutElsewhere,
                     bool requestSize = true);
    void FillDriveLevel();
    // Reads an item's subfolders into the tree; false when the user cancelled a failed search.
    bool Populate(HTREEITEM item);
    void AddSelectedTreeFolder();
    void RemoveSelected();
    void NewFolder();
    void DroppedFromShell(const std::vector<std::string>& names);
    void BeginDrag(const NMTREEVIEWW& drag);
    HWND DropTargetAt(POINT screen) const;
    void DragMove(POINT screen);
    void DragDrop(POINT screen);
    void CancelDrag();
    void WidenColumn(const std::string& text);
    void UpdateButtons();
    void RequestSize();
    void ShowSize(const std::string& megabytes);
    // A message dialog of the program over the picker (IDOK or IDCANCEL).
    INT_PTR Message(UINT templateId);

    os::FileSystem& files_;
    HelpOpener openHelp_;
    std::string initialFolder_;
    uint32_t allowedDrives_;
    fw::TreeView tree_;
    fw::ListView listView_;
    CKRVFolderDropList list_;
    fw::ImageList images_;
    fw::MessageFilter deleteKey_;
    // The list's folders in list order, as the list shows them (asking the list for each text
    // costs a message per row).
    std::vector<std::string> listed_;
    // The own name of each tree item ("C:" for a drive, the folder's name below it).
    std::unordered_map<HTREEITEM, std::string> names_;
    int widestText_ = 0;
    bool listChanged_ = false;  // OK needs a non-empty list once the list was changed
    // Tree-to-list dragging.
    fw::DragImage dragImage_;
    HTREEITEM draggedItem_ = nullptr;
    HWND windowUnderCursor_ = nullptr;
    int dropIndex_ = -1;
    // The size of the list, summed off this thread.
    std::unique_ptr<engine::FolderSizeWorker> sizes_;
    uint64_t sizeRequest_ = 0;  // the request for the list as it is now
    uint64_t sizeShown_ = 0;    // the request whose figure the text shows
    std::unique_ptr<Probes> probes_;
};

// The create-folder dialog (120): a folder path typed in full ("C:\Data\New"), created with the
// folders missing on its way and handed to the picker. A path that cannot be a folder gets a
// message that says why and creates nothing; an existing folder is simply taken.
class CKRVNewFolderDlg : public CKRVBaseDlg {
  public:
    CKRVNewFolderDlg(CKRVFolderPickerDlg& picker, std::string path);

    // The folder handed to the picker after OK (it exists).
    const std::string& folder() const { return folder_; }

  protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    // A message dialog over this one; reason: a second line for dialog 167, or empty.
    INT_PTR Message(UINT templateId, const std::string& reason = {});

    bool FilterKey(MSG& message);

    CKRVFolderPickerDlg& picker_;
    std::string path_;
    std::string folder_;
    fw::MessageFilter keys_;
};

}  // namespace ui
