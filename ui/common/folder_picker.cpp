#include "ui/common/folder_picker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "drivekit/drive.h"
#include "drivekit/drvkit_text.h"
#include "engine/folder_sizes.h"
#include "framework/application.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "os/errors.h"
#include "os/text.h"
#include "res/resource.h"
#include "ui/common/dpi_picture.h"
#include "ui/common/drawing.h"
#include "ui/common/folder_path_rules.h"
#include "ui/prompts/message_dialogs.h"

namespace ui {

namespace {

// Images of bitmap 199.
constexpr int kImageFixed = 0;
constexpr int kImageRemovable = 1;
constexpr int kImageCdRom = 2;
constexpr int kImageFloppy = 3;
constexpr int kImageFolder = 4;
constexpr int kImageNetwork = 5;
constexpr int kImageOpenFolder = 6;

// The picker's message from its size worker: wParam is the request that finished.
constexpr UINT kSizeDoneMessage = WM_APP + 12;
// How long a network drive may take to answer before it counts as not reachable.
constexpr auto kNetworkPatience = std::chrono::milliseconds(1000);
constexpr uint32_t kErrorNetworkUnreachable = 1231;

std::string RootOf(char letter) {
    return std::string(1, letter) + ":\\";
}

char DriveLetterOf(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') {
        return '\0';
    }
    return drvKit::NormalizeDriveLetter(path[0]);
}

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder + name;
    }
    return folder + "\\" + name;
}

// Whether a folder holds at least one subfolder; a folder that cannot be searched counts as
// having some (its expand button stays, and opening it says why it cannot be read). So does a
// folder whose first entries are all files: reading 50,000 names to hide one expand button
// would hold the window for a second, and opening the folder finds out.
constexpr int kEntriesLookedAt = 512;

bool HasSubfolders(os::FileSystem& files, const std::string& folder) {
    std::unique_ptr<os::DirectorySearch> search;
    os::FileInfo entry;
    const uint32_t error = files.FindFirst(JoinPath(folder, "*.*"), search, entry);
    if (error == os::kErrorFileNotFound) {
        return false;
    }
    if (error != os::kErrorSuccess) {
        return true;
    }
    int looked = 0;
    do {
        if (entry.IsDirectory() && !IsDotEntry(entry.name)) {
            return true;
        }
        if (++looked >= kEntriesLookedAt) {
            return true;
        }
    } while (search->Next(entry) == os::kErrorSuccess);
    return false;
}

}  // namespace

// Calls that may hang on a network drive run on threads of their own; the window waits a second
// for each and then goes on without its answer. The threads are joined when the picker goes.
struct CKRVFolderPickerDlg::Probes {
    struct Call {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Call> calls;

    ~Probes() {
        for (Call& call : calls) {
            call.thread.join();
        }
    }

    // Runs work (which must only touch what it owns) and waits up to the limit; true when it
    // finished in time.
    bool Run(std::function<void()> work, std::chrono::milliseconds limit) {
        JoinFinished();
        auto done = std::make_shared<std::atomic<bool>>(false);
        calls.push_back({std::thread([work = std::move(work), done] {
                             work();
                             *done = true;
                         }),
                         done});
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!*done && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return *done;
    }

    void JoinFinished() {
        for (auto it = calls.begin(); it != calls.end();) {
            if (*it->done) {
                it->thread.join();
                it = calls.erase(it);
            } else {
                ++it;
            }
        }
    }
};

uint32_t SourceDriveMask(os::FileSystem& files) {
    const uint32_t present = files.LogicalDrives();
    uint32_t mask = 0;
    for (int i = 0; i < 26; ++i) {
        if ((present & (1u << i)) == 0) {
            continue;
        }
        const os::DriveType type = files.GetDriveType(RootOf(static_cast<char>('A' + i)));
        if (type == os::DriveType::Fixed || type == os::DriveType::Remote) {
            mask |= 1u << i;
        }
    }
    return mask;
}

// ---------------------------------------------------------------- the list that takes drops

bool CKRVFolderDropList::Attach(HWND dialog, int id, OnDrop onDrop) {
    onDrop_ = std::move(onDrop);
    if (!SubclassItem(dialog, id)) {
        return false;
    }
    DragAcceptFiles(hwnd(), TRUE);
    return true;
}

LRESULT CKRVFolderDropList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        const fw::DroppedFiles dropped(reinterpret_cast<HDROP>(wParam));
        SetForegroundWindow(GetAncestor(hwnd(), GA_ROOT));
        if (onDrop_) {
            onDrop_(dropped.names());
        }
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- the picker

CKRVFolderPickerDlg::CKRVFolderPickerDlg(os::FileSystem& files, HelpOpener openHelp,
                                         std::string initialFolder, uint32_t allowedDrives,
                                         HWND parent)
    : CKRVBaseDlg(IDD_FOLDER_PICKER, parent),
      files_(files),
      openHelp_(std::move(openHelp)),
      initialFolder_(std::move(initialFolder)),
      allowedDrives_(allowedDrives),
      probes_(std::make_unique<Probes>()) {
    if (!initialFolder_.empty() && initialFolder_.back() != '\\') {
        initialFolder_ += '\\';
    }
}

CKRVFolderPickerDlg::~CKRVFolderPickerDlg() = default;

bool CKRVFolderPickerDlg::IsAllowedDrive(char letter) const {
    letter = drvKit::NormalizeDriveLetter(letter);
    if (letter == '\0') {
        return false;
    }
    const uint32_t bit = 1u << (letter - 'A');
    if ((allowedDrives_ & bit) == 0 || (files_.LogicalDrives() & bit) == 0) {
        return false;
    }
    // Media that come and go are no place for source folders, whatever the caller allowed.
    const os::DriveType type = files_.GetDriveType(RootOf(letter));
    if (type == os::DriveType::Removable || type == os::DriveType::NoRootDirectory) {
        return false;
    }
    const drvKit::Drive drive(letter);
    return !drive.isCorvantDrive() && !drive.isCorvantCDDrive();
}

bool CKRVFolderPickerDlg::IsRemoteDrive(char letter) const {
    return letter != '\0' && files_.GetDriveType(RootOf(letter)) == os::DriveType::Remote;
}

std::string CKRVFolderPickerDlg::DisplayName(const std::string& path, const std::string& fallback) {
    const char letter = DriveLetterOf(path);
    const bool root = path.size() == 3;
    auto name = std::make_shared<std::wstring>();
    auto ask = [name, wide = fw::Wide(path)] {
        SHFILEINFOW info = {};
        if (SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) != 0) {
            *name = info.szDisplayName;
        }
    };
    if (IsRemoteDrive(letter)) {
        if (!probes_->Run(ask, kNetworkPatience)) {
            return fw::FormatText(fw::LoadText(IDS_DRIVE_NOT_REACHABLE), {fallback});
        }
    } else {
        ask();
    }
    std::string shown = fw::Utf8(*name);
    const size_t first = shown.find_first_not_of(' ');
    shown.erase(0, first == std::string::npos ? shown.size() : first);
    if (root && (shown.empty() || shown[0] == '(')) {
        // A drive without a volume label: named by its kind, as Explorer names it.
        std::string_view kind = drvKit::kKindLocalDisk;
        switch (files_.GetDriveType(path)) {
            case os::DriveType::Remote:
                kind = drvKit::kKindNetworkDrive;
                break;
            case os::DriveType::CdRom:
                kind = drvKit::kKindCD;
                break;
            case os::DriveType::Removable:
                kind = drvKit::kKindRemovableDisk;
                break;
            default:
                break;
        }
        return drvKit::LabelText("", kind, letter);
    }
    return shown.empty() ? fallback : shown;
}

HTREEITEM CKRVFolderPickerDlg::InsertTreeItem(HTREEITEM parent, const std::string& name,
                                              const std::string& text, int image, int selectedImage,
                                              bool hasChildren) {
    const HTREEITEM item = tree_.InsertItem(parent, text, image, selectedImage, 0, hasChildren);
    if (item != nullptr) {
        names_[item] = name;
    }
    return item;
}

void CKRVFolderPickerDlg::FillDriveLevel() {
    const uint32_t present = files_.LogicalDrives();
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('A' + i);
        if ((present & allowedDrives_ & (1u << i)) == 0 || !IsAllowedDrive(letter)) {
            continue;
        }
        int image = kImageFixed;
        switch (files_.GetDriveType(RootOf(letter))) {
            case os::DriveType::Remote:
                image = kImageNetwork;
                break;
            case os::DriveType::CdRom:
                image = kImageCdRom;
                break;
            case os::DriveType::Removable:
                image = letter <= 'B' ? kImageFloppy : kImageRemovable;
                break;
            default:
                break;
        }
        const std::string name = std::string(1, letter) + ":";
        InsertTreeItem(TVI_ROOT, name, DisplayName(RootOf(letter), name), image, image, true);
    }
}

uint32_t CKRVFolderPickerDlg::ReadSubfolders(const std::string& folder,
                                             std::vector<Subfolder>& subfolders) {
    struct Answer {
        uint32_t error = os::kErrorSuccess;
        std::vector<Subfolder> subfolders;
    };
    auto answer = std::make_shared<Answer>();
    auto read = [answer, folder, &files = files_] {
        std::unique_ptr<os::DirectorySearch> search;
        os::FileInfo entry;
        answer->error = files.FindFirst(JoinPath(folder, "*.*"), search, entry);
        if (answer->error != os::kErrorSuccess) {
            return;
        }
        do {
            if (entry.IsDirectory() && !IsDotEntry(entry.name)) {
                answer->subfolders.push_back({entry.name, false});
            }
        } while (search->Next(entry) == os::kErrorSuccess);
        for (Subfolder& subfolder : answer->subfolders) {
            subfolder.hasSubfolders = HasSubfolders(files, JoinPath(folder, subfolder.name));
        }
    };
    if (IsRemoteDrive(DriveLetterOf(folder))) {
        // The answer and the file system outlive a call that is still running when the picker
        // gives up on it: the probes are joined before the picker goes.
        if (!probes_->Run(read, kNetworkPatience)) {
            return kErrorNetworkUnreachable;
        }
    } else {
        read();
    }
    if (answer->error != os::kErrorSuccess) {
        return answer->error;
    }
    subfolders = std::move(answer->subfolders);
    std::sort(subfolders.begin(), subfolders.end(), [](const Subfolder& a, const Subfolder& b) {
        return os::CompareIgnoreCase(a.name, b.name) < 0;
    });
    return subfolders.empty() ? os::kErrorFileNotFound : os::kErrorSuccess;
}

bool CKRVFolderPickerDlg::Populate(HTREEITEM item) {
    const fw::WaitCursor wait;
    const std::string path = TreeItemPath(item);
    for (;;) {
        std::vector<Subfolder> subfolders;
        const uint32_t error = ReadSubfolders(path, subfolders);
        if (error == os::kErrorFileNotFound) {
            tree_.SetHasChildren(item, false);
            return true;
        }
        if (error == os::kErrorSuccess) {
            for (const Subfolder& subfolder : subfolders) {
                InsertTreeItem(item, subfolder.name,
                               DisplayName(JoinPath(path, subfolder.name), subfolder.name),
                               kImageFolder, kImageOpenFolder, subfolder.hasSubfolders);
            }
            return true;
        }
        std::string reason = error == kErrorNetworkUnreachable
                                 ? fw::LoadText(IDS_NETWORK_NOT_REACHABLE)
                                 : fw::SystemErrorText(error);
        const std::string text =
            fw::FormatText(fw::LoadText(IDS_NOT_ACCESSIBLE), {path}) + "\r\n\r\n" + reason;
        const int answer =
            MessageBoxW(hwnd(), fw::Wide(text).c_str(), fw::Wide(fw::LoadText(IDS_TITLE)).c_str(),
                        MB_ICONSTOP | MB_RETRYCANCEL);
        if (answer != IDRETRY) {
            return false;
        }
    }
}

std::string CKRVFolderPickerDlg::TreeItemPath(HTREEITEM item) const {
    std::vector<std::string> parts;
    for (HTREEITEM at = item; at != nullptr; at = tree_.Parent(at)) {
        const auto it = names_.find(at);
        parts.push_back(it != names_.end() ? it->second : std::string());
    }
    std::string path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        path += *it;
        path += '\\';
    }
    return path;
}

std::string CKRVFolderPickerDlg::SelectedTreePath() const {
    const HTREEITEM selected = tree_.Selection();
    return selected != nullptr ? TreeItemPath(selected) : std::string();
}

bool CKRVFolderPickerDlg::SelectPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find('\\', start);
        const std::string part = path.substr(start, end - start);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    HTREEITEM parent = nullptr;
    for (size_t i = 0; i < parts.size(); ++i) {
        HTREEITEM item = parent == nullptr ? tree_.Root() : tree_.Child(parent);
        while (item != nullptr) {
            const auto it = names_.find(item);
            if (it != names_.end() && os::EqualsIgnoreCase(it->second, parts[i])) {
                break;
            }
            item = tree_.Next(item);
        }
        if (item == nullptr) {
            return false;
        }
        tree_.Select(item);
        if (i + 1 < parts.size()) {
            if (tree_.Child(item) == nullptr && !Populate(item)) {
                return false;
            }
            tree_.Expand(item);
        }
        parent = item;
    }
    return parent != nullptr;
}

bool CKRVFolderPickerDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    const fw::WaitCursor wait;
    tree_ = fw::TreeView(hwnd(), IDC_PICKER_TREE);
    listView_ = fw::ListView(hwnd(), IDC_PICKER_LIST);
    list_.Attach(hwnd(), IDC_PICKER_LIST,
                 [this](const std::vector<std::string>& names) { DroppedFromShell(names); });
    // The drives' and folders' images drawn for the window's scale; the tree's rows grow to
    // their height. Without them the tree and the list still work, only without pictures.
    (void)LoadImagesForDpi(images_, IDB_FOLDER_IMAGES, L"IDB_FOLDER_IMAGES", 16, DpiOf(hwnd()),
                           RGB(255, 0, 255));
    tree_.SetImageList(images_.get());
    listView_.SetImageList(images_.get());
    listView_.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    const HWND window = hwnd();
    sizes_ =
        std::make_unique<engine::FolderSizeWorker>(files_, [window](uint64_t request, uint64_t) {
            PostMessageW(window, kSizeDoneMessage, static_cast<WPARAM>(request), 0);
        });

    FillDriveLevel();
    listView_.InsertColumn(0, "Source Folders", -1);
    for (const std::string& folder : selectedFolders) {
        const std::string shown = FolderWithoutTrailingBackslash(folder);
        if (listView_.InsertItem(listView_.Count(), shown, kImageFolder) >= 0) {
            listed_.push_back(shown);
            WidenColumn(shown);
        }
    }
    if (!initialFolder_.empty()) {
        SelectPath(initialFolder_);
    }
    deleteKey_.Start([this](MSG& message) {
        if (message.message != WM_KEYDOWN || message.wParam != VK_DELETE ||
            message.hwnd == nullptr || GetAncestor(message.hwnd, GA_ROOT) != hwnd() ||
            !IsWindowEnabled(hwnd())) {
            return false;
        }
        RemoveSelected();
        return true;
    });
    UpdateButtons();
    RequestSize();
    return true;
}

void CKRVFolderPickerDlg::WidenColumn(const std::string& text) {
    const int width = listView_.StringWidth(text);
    if (width > widestText_) {
        widestText_ = width;
        listView_.SetColumnWidth(0, width + 50);
    }
}

bool CKRVFolderPickerDlg::AddFolder(const std::string& path) {
    return AddFolderAt(path, -1, kImageFolder, true);
}

bool CKRVFolderPickerDlg::AddFolderAt(const std::string& path, int index, int image,
                                      bool askAboutElsewhere, bool requestSize) {
    const std::string folder = FolderWithoutTrailingBackslash(path);
    const std::vector<std::string>& listed = listed_;
    if (ListsFolder(listed, folder)) {
        return true;
    }
    if (!IsAllowedDrive(DriveLetterOf(folder))) {
        Message(IDD_NOT_FIXED_DRIVE);
        return false;
    }
    if (static_cast<int>(listed.size()) >= kMaxFolders) {
        return false;
    }
    if (askAboutElsewhere && IsSameFolderElsewhere(listed, folder) &&
        Message(IDD_FOLDER_ELSEWHERE) != IDOK) {
        return false;
    }
    const int count = static_cast<int>(listed_.size());
    const int at = listView_.InsertItem(index < 0 || index > count ? count : index, folder, image);
    if (at < 0) {
        return false;
    }
    listed_.insert(listed_.begin() + at, folder);
    WidenColumn(folder);
    listChanged_ = true;
    UpdateButtons();
    if (requestSize) {
        RequestSize();
    }
    return true;
}

void CKRVFolderPickerDlg::AddSelectedTreeFolder() {
    const std::string path = SelectedTreePath();
    if (!path.empty()) {
        AddFolder(path);
    }
}

void CKRVFolderPickerDlg::RemoveSelected() {
    const std::vector<int> selected = listView_.SelectedItems();
    if (selected.empty()) {
        return;
    }
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        listView_.DeleteItem(*it);
        if (*it >= 0 && *it < static_cast<int>(listed_.size())) {
            listed_.erase(listed_.begin() + *it);
        }
    }
    listChanged_ = true;
    UpdateButtons();
    RequestSize();
}

void CKRVFolderPickerDlg::UpdateButtons() {
    const auto count = static_cast<int>(listed_.size());
    fw::Control(hwnd(), IDC_PICKER_ADD).Enable(count < kMaxFolders);
    fw::Control(hwnd(), IDC_PICKER_REMOVE).Enable(!listView_.SelectedItems().empty());
    fw::Control(hwnd(), IDOK).Enable(!listChanged_ || count > 0);
}

void CKRVFolderPickerDlg::RequestSize() {
    const std::vector<std::string> folders = ListedFolders();
    sizeRequest_ = sizes_->Request(folders);
    if (folders.empty()) {
        sizeShown_ = sizeRequest_;
        ShowSize("0");
        return;
    }
    ShowSize(fw::LoadText(IDS_SIZE_PENDING));
}

void CKRVFolderPickerDlg::ShowSize(const std::string& megabytes) {
    fw::SetText(Item(IDC_PICKER_COPY_SIZE),
                fw::FormatText(fw::LoadText(IDS_COPY_SIZE), {megabytes}));
}

bool CKRVFolderPickerDlg::WaitForSize(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!SizeKnown()) {
        if (GetTickCount() - start >= milliseconds) {
            return false;
        }
        sizes_->WaitUntilDone(std::chrono::milliseconds(10));
        fw::Application::PumpPending();
    }
    return true;
}

INT_PTR CKRVFolderPickerDlg::Message(UINT templateId) {
    return RunMessageDialog(templateId, hwnd());
}

void CKRVFolderPickerDlg::DroppedFromShell(const std::vector<std::string>& names) {
    bool added = false;
    for (const std::string& name : names) {
        uint32_t attributes = 0;
        if (files_.GetAttributes(name, attributes) != os::kErrorSuccess ||
            (attributes & os::kAttributeDirectory) == 0) {
            continue;  // files and names that do not exist are not folders to copy
        }
        const size_t before = listed_.size();
        AddFolderAt(name, -1, kImageFolder, true, false);
        added = added || listed_.size() != before;
    }
    // One sum for the whole drop.
    if (added) {
        RequestSize();
    }
}

void CKRVFolderPickerDlg::NewFolder() {
    CKRVNewFolderDlg dialog(*this, FolderWithoutTrailingBackslash(SelectedTreePath()));
    if (dialog.DoModal() != IDOK) {
        return;
    }
    const std::string folder = dialog.folder();
    // The create-folder dialog asked about the same folder elsewhere already.
    AddFolderAt(folder, -1, kImageFolder, false);
    tree_.DeleteAll();
    names_.clear();
    FillDriveLevel();
    SelectPath(folder + "\\");
}

void CKRVFolderPickerDlg::BeginDrag(const NMTREEVIEWW& drag) {
    CancelDrag();
    draggedItem_ = drag.itemNew.hItem;
    tree_.Select(draggedItem_);
    if (!dragImage_.Begin(tree_.CreateDragImage(draggedItem_), {8, 8})) {
        draggedItem_ = nullptr;
        return;
    }
    POINT screen = drag.ptDrag;
    ClientToScreen(tree_.hwnd(), &screen);
    dragImage_.Enter(GetDesktopWindow(), screen);
    windowUnderCursor_ = nullptr;
    dropIndex_ = -1;
    SetCapture(hwnd());
}

// The tree or the list under a point of the screen, or nothing. Asked of the two controls
// rather than of the desktop, so a window that happens to lie over the picker for a moment
// (a tooltip, another program's window) does not take the drop away from them.
HWND CKRVFolderPickerDlg::DropTargetAt(POINT screen) const {
    for (const HWND control : {tree_.hwnd(), listView_.hwnd()}) {
        RECT rect = {};
        if (IsWindowVisible(control) && GetWindowRect(control, &rect) && PtInRect(&rect, screen)) {
            return control;
        }
    }
    return nullptr;
}

void CKRVFolderPickerDlg::DragMove(POINT screen) {
    dragImage_.Move(screen);
    dragImage_.Show(false);
    const HWND target = DropTargetAt(screen);
    if (target != windowUnderCursor_) {
        if (windowUnderCursor_ == tree_.hwnd()) {
            tree_.SetDropHighlight(nullptr);
        } else if (windowUnderCursor_ == listView_.hwnd() && dropIndex_ >= 0) {
            listView_.SetDropHighlighted(dropIndex_, false);
            dropIndex_ = -1;
        }
        windowUnderCursor_ = target;
    }
    if (target == tree_.hwnd()) {
        POINT client = screen;
        ScreenToClient(target, &client);
        tree_.SetDropHighlight(tree_.HitTest(client));
    } else if (target == listView_.hwnd()) {
        POINT client = screen;
        ScreenToClient(target, &client);
        const int index = listView_.HitTest(client);
        if (index != dropIndex_) {
            if (dropIndex_ >= 0) {
                listView_.SetDropHighlighted(dropIndex_, false);
            }
            if (index >= 0) {
                listView_.SetDropHighlighted(index, true);
            }
            dropIndex_ = index;
        }
    }
    dragImage_.Show(true);
}

void CKRVFolderPickerDlg::CancelDrag() {
    if (!dragImage_.dragging()) {
        return;
    }
    dragImage_.End();
    tree_.SetDropHighlight(nullptr);
    if (dropIndex_ >= 0) {
        listView_.SetDropHighlighted(dropIndex_, false);
    }
    draggedItem_ = nullptr;
    windowUnderCursor_ = nullptr;
    dropIndex_ = -1;
    if (GetCapture() == hwnd()) {
        ReleaseCapture();
    }
}

void CKRVFolderPickerDlg::DragDrop(POINT screen) {
    const HTREEITEM dragged = draggedItem_;
    const int index = dropIndex_;
    const HWND target = DropTargetAt(screen);
    CancelDrag();
    if (target != listView_.hwnd() || dragged == nullptr) {
        return;
    }
    // The same checks as "&Add >"; the new row keeps the tree item's picture.
    AddFolderAt(TreeItemPath(dragged), index, tree_.ItemImage(dragged), true);
}

bool CKRVFolderPickerDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
            case IDC_PICKER_ADD:
                AddSelectedTreeFolder();
                return true;
            case IDC_PICKER_REMOVE:
                RemoveSelected();
                return true;
            case IDC_PICKER_NEW_FOLDER:
                NewFolder();
                return true;
            case IDC_PICKER_HELP:
                if (openHelp_) {
                    openHelp_(fw::Wide(fw::LoadText(IDS_HELP_FOLDER_PICKER)));
                }
                return true;
            default:
                break;
        }
    }
    return CKRVBaseDlg::OnCommand(id, code, control);
}

bool CKRVFolderPickerDlg::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.hwndFrom == tree_.hwnd()) {
        switch (header.code) {
            case TVN_ITEMEXPANDINGW: {
                const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
                if ((change.action & TVE_EXPAND) != 0 &&
                    tree_.Child(change.itemNew.hItem) == nullptr) {
                    Populate(change.itemNew.hItem);
                }
                result = FALSE;
                return true;
            }
            case TVN_SELCHANGEDW: {
                const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
                if (change.itemNew.hItem != nullptr) {
                    initialFolder_ = TreeItemPath(change.itemNew.hItem);
                }
                UpdateButtons();
                return true;
            }
            case TVN_DELETEITEMW: {
                const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
                names_.erase(change.itemOld.hItem);
                return true;
            }
            case TVN_BEGINDRAGW:
                BeginDrag(reinterpret_cast<const NMTREEVIEWW&>(header));
                return true;
            default:
                return false;
        }
    }
    if (header.hwndFrom == listView_.hwnd()) {
        switch (header.code) {
            case LVN_ITEMCHANGED:
            case NM_SETFOCUS:
            case NM_KILLFOCUS:
                UpdateButtons();
                return true;
            default:
                return false;
        }
    }
    return CKRVBaseDlg::OnNotify(header, result);
}

bool CKRVFolderPickerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case kSizeDoneMessage: {
            const auto request = static_cast<uint64_t>(wParam);
            if (request == sizeRequest_) {
                if (const std::optional<uint64_t> total = sizes_->Total(request)) {
                    sizeShown_ = request;
                    ShowSize(std::to_string(engine::Megabytes(*total)));
                }
            }
            result = 0;
            return true;
        }
        case WM_MOUSEMOVE:
            if (dragImage_.dragging()) {
                POINT screen = {static_cast<short>(LOWORD(lParam)),
                                static_cast<short>(HIWORD(lParam))};
                ClientToScreen(hwnd(), &screen);
                DragMove(screen);
                result = 0;
                return true;
            }
            break;
        case WM_LBUTTONUP:
            if (dragImage_.dragging()) {
                POINT screen = {static_cast<short>(LOWORD(lParam)),
                                static_cast<short>(HIWORD(lParam))};
                ClientToScreen(hwnd(), &screen);
                DragDrop(screen);
                result = 0;
                return true;
            }
            break;
        case WM_CAPTURECHANGED:
            if (dragImage_.dragging() && reinterpret_cast<HWND>(lParam) != hwnd()) {
                CancelDrag();
            }
            break;
        case WM_SETCURSOR:
            if (fw::WaitCursor::Active()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                result = TRUE;
                return true;
            }
            break;
        case WM_DESTROY:
            CancelDrag();
            deleteKey_.Stop();
            break;
        default:
            break;
    }
    return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
}

void CKRVFolderPickerDlg::OnOK() {
    selectedFolders = ListedFolders();
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- the create-folder dialog

namespace {

// Dialog 167 with a second line that says what is wrong.
class InvalidPathDlg : public CKRVMessageDlg {
  public:
    InvalidPathDlg(std::string reason, HWND parent)
        : CKRVMessageDlg(IDD_INVALID_PATH, IDC_INVALID_PATH_HEADLINE, parent),
          reason_(std::move(reason)) {}

  protected:
    bool OnInitDialog() override {
        CKRVMessageDlg::OnInitDialog();
        fw::SetText(Item(IDC_INVALID_PATH_REASON), reason_);
        return true;
    }

  private:
    std::string reason_;
};

std::string ProblemText(FolderPathProblem problem, const std::string& path) {
    switch (problem) {
        case FolderPathProblem::Empty:
            return fw::LoadText(IDS_FOLDER_EMPTY);
        case FolderPathProblem::NotOnADrive:
            return fw::LoadText(IDS_FOLDER_NOT_ON_DRIVE);
        case FolderPathProblem::DoubleBackslash:
            return fw::LoadText(IDS_FOLDER_DOUBLE_BACKSLASH);
        case FolderPathProblem::ForbiddenCharacter:
            return fw::LoadText(IDS_FOLDER_CHARACTER);
        case FolderPathProblem::TrailingDotOrSpace:
            return fw::LoadText(IDS_FOLDER_TRAILING);
        case FolderPathProblem::ReservedName: {
            // The name at fault: the first one that is a device name.
            size_t start = 3;
            while (start < path.size()) {
                const size_t end = path.find('\\', start);
                const std::string name = path.substr(start, end - start);
                if (CheckFolderName(name) == FolderPathProblem::ReservedName) {
                    return fw::FormatText(fw::LoadText(IDS_FOLDER_RESERVED), {name});
                }
                if (end == std::string::npos) {
                    break;
                }
                start = end + 1;
            }
            return fw::FormatText(fw::LoadText(IDS_FOLDER_RESERVED), {path});
        }
        case FolderPathProblem::None:
            break;
    }
    return {};
}

}  // namespace

CKRVNewFolderDlg::CKRVNewFolderDlg(CKRVFolderPickerDlg& picker, std::string path)
    : CKRVBaseDlg(IDD_NEW_FOLDER, picker.hwnd()), picker_(picker), path_(std::move(path)) {}

bool CKRVNewFolderDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    fw::SetText(Item(IDC_NEW_FOLDER_PATH), path_);
    keys_.Start([this](MSG& message) { return FilterKey(message); });
    return true;
}

// Keys that would type a character no folder name may hold do nothing; what is pasted is
// checked on OK. Other keys reach the edit as they are, without the dialog's own keyboard
// handling, except Tab and Enter.
bool CKRVNewFolderDlg::FilterKey(MSG& message) {
    if (message.message != WM_KEYDOWN || message.hwnd == nullptr ||
        GetAncestor(message.hwnd, GA_ROOT) != hwnd() || !IsWindowEnabled(hwnd())) {
        return false;
    }
    const auto key = static_cast<UINT>(message.wParam);
    if (key == VK_TAB || key == VK_RETURN) {
        return false;
    }
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    auto types = [key](wchar_t character, bool withShift) {
        const SHORT scan = VkKeyScanW(character);
        if (scan == -1 || LOBYTE(scan) != key) {
            return false;
        }
        return ((HIBYTE(scan) & 1) != 0) == withShift;
    };
    bool swallow = key == VK_DIVIDE || key == VK_MULTIPLY;
    swallow = swallow || types(L'/', shift);
    for (const wchar_t character : std::wstring_view(L"|><\"?*:")) {
        swallow = swallow || (shift && types(character, true));
    }
    if (!swallow) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

bool CKRVNewFolderDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DESTROY) {
        keys_.Stop();
    }
    return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
}

INT_PTR CKRVNewFolderDlg::Message(UINT templateId, const std::string& reason) {
    if (templateId == IDD_INVALID_PATH) {
        InvalidPathDlg dialog(reason, hwnd());
        return dialog.DoModal();
    }
    return RunMessageDialog(templateId, hwnd());
}

void CKRVNewFolderDlg::OnOK() {
    const std::string typed = fw::GetText(Item(IDC_NEW_FOLDER_PATH));
    const FolderPathProblem problem = CheckNewFolderPath(typed);
    if (problem != FolderPathProblem::None) {
        Message(IDD_INVALID_PATH, ProblemText(problem, typed));
        return;
    }
    const char letter = drvKit::NormalizeDriveLetter(typed[0]);
    if (!picker_.IsAllowedDrive(letter)) {
        Message(IDD_INVALID_PATH, fw::FormatText(fw::LoadText(IDS_FOLDER_DRIVE_NOT_ALLOWED),
                                                 {std::string(1, letter) + ":"}));
        return;
    }
    std::string folder = FolderWithoutTrailingBackslash(typed);
    folder[0] = letter;
    if (IsSameFolderElsewhere(picker_.ListedFolders(), folder) &&
        Message(IDD_FOLDER_ELSEWHERE) != IDOK) {
        return;
    }
    // Created (or found) in either case: the picker is only ever handed a folder that exists.
    const uint32_t error = CreateFolderPath(picker_.files_, folder);
    if (error != os::kErrorSuccess) {
        std::string reason = fw::SystemErrorText(error);
        if (reason.empty()) {
            reason = std::to_string(error);
        }
        Message(IDD_INVALID_PATH, fw::FormatText(fw::LoadText(IDS_FOLDER_NOT_CREATED), {reason}));
        return;
    }
    folder_ = folder;
    EndDialog(IDOK);
}

}  // namespace ui
