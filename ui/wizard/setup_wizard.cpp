#include "ui/wizard/setup_wizard.h"

#include <array>

#include "drivekit/drive.h"
#include "engine/folder_sizes.h"
#include "framework/controls.h"
#include "framework/drag_drop.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/folder_path_rules.h"

namespace ui {

namespace {

// The help page of each page, in page order.
constexpr std::array<UINT, 7> kHelpPages = {
    IDS_HELP_INTRO,     IDS_HELP_DISK_LABEL, IDS_HELP_DRIVE,          IDS_HELP_SOURCES,
    IDS_HELP_REVISIONS, IDS_HELP_REVIEW,     IDS_HELP_CONGRATULATIONS};

// A Help click that is still being handled (the shell may run messages meanwhile) makes the next
// one wait its turn: it is ignored. One for the whole process.
bool helpRunning = false;

}  // namespace

CKRVSetupWizard::CKRVSetupWizard(ShellServices& shell, const SetupJournal& journal, HWND parent)
    : CKRVPageHostDlg(IDD_SETUP_WIZARD, parent),
      shell_(shell),
      journal_(journal),
      store_(shell.machine().registry, shell.productKey()) {}

// The size worker goes first: it posts to the wizard and must not outlive it.
CKRVSetupWizard::~CKRVSetupWizard() {
    sizes_.reset();
}

int CKRVSetupWizard::SeparatorId() const {
    return IDC_WIZARD_SEPARATOR;
}

std::unique_ptr<CKRVSourcePage> CKRVSetupWizard::MakeSourcePage(
    ShellServices& shell, std::function<void()> foldersChanged) {
    return std::make_unique<CKRVSourcePage>(shell, std::move(foldersChanged));
}

bool CKRVSetupWizard::OnInitDialog() {
    CKRVPageHostDlg::OnInitDialog();
    const HWND window = hwnd();
    sizes_ = std::make_unique<engine::FolderSizeWorker>(
        shell_.machine().files, [window](uint64_t request, uint64_t) {
            PostMessageW(window, kSizesKnown, static_cast<WPARAM>(request), 0);
        });
    SetPlaceholder(IDC_WIZARD_PLACEHOLDER);
    drive_ = std::make_unique<CKRVDrivePage>(shell_);
    sources_ = MakeSourcePage(shell_, [this] { SourcesChanged(); });
    // A page that cannot be created is left out of the sequence.
    for (CKRVWizardPage* page :
         std::array<CKRVWizardPage*, 7>{&intro_, &diskLabel_, drive_.get(), sources_.get(),
                                        &revisions_, &review_, &congratulations_}) {
        AddPage(*page);
    }
    const fw::Button back(window, IDC_WIZARD_BACK);
    back.Enable(false);
    back.Show(true);
    SetFocus(Item(IDC_WIZARD_NEXT));
    return false;
}

bool CKRVSetupWizard::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED || code == 0) {
        switch (id) {
            case IDC_WIZARD_NEXT:
                Next();
                return true;
            case IDC_WIZARD_BACK:
                Back();
                return true;
            case IDC_WIZARD_FINISH:
                Finish();
                return true;
            case IDC_WIZARD_HELP:
                Help();
                return true;
            case IDOK:
                // Enter with no default button: what the default button would do.
                if (fw::Control(hwnd(), IDC_WIZARD_FINISH).IsVisible()) {
                    Finish();
                } else {
                    Next();
                }
                return true;
            default:
                break;
        }
    }
    return CKRVPageHostDlg::OnCommand(id, code, control);
}

bool CKRVSetupWizard::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kSizesKnown) {
        SizesKnown(static_cast<uint64_t>(wParam));
        result = 0;
        return true;
    }
    return CKRVPageHostDlg::OnMessage(message, wParam, lParam, result);
}

void CKRVSetupWizard::Tell(const std::string& text) {
    MessageBoxW(hwnd(), fw::Wide(text).c_str(), fw::Wide(fw::LoadText(IDS_TITLE)).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void CKRVSetupWizard::Next() {
    const int current = GetActiveIndex();
    const int count = PageCount();
    const fw::Button back(hwnd(), IDC_WIZARD_BACK);
    back.Enable(true);
    back.Show(true);
    if (current + 1 >= count) {
        return;
    }
    CKRVWizardPage* leaving = GetActivePage();
    if (leaving == &revisions_) {
        ComputeReviewFigures();
    }
    if (leaving == drive_.get() && !LeaveDrivePage()) {
        return;
    }
    if (leaving == sources_.get() && sources_->Folders().empty()) {
        sources_->AddFolder(DefaultSource());
    }
    SetActivePage(current + 1);
    CKRVWizardPage* entering = GetActivePage();
    if (current + 1 == count - 1) {
        ShowFinishButton(true);
    }
    if (entering == &diskLabel_) {
        EnterDiskLabelPage();
    }
    if (entering == sources_.get()) {
        EnterSourcePage();
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
    entering->OnPageActivate();
}

void CKRVSetupWizard::Back() {
    const int current = GetActiveIndex();
    if (current <= 0) {
        return;
    }
    SetActivePage(current - 1);
    const fw::Button back(hwnd(), IDC_WIZARD_BACK);
    if (current - 1 == 0) {
        fw::Control(hwnd(), IDC_WIZARD_HELP).Show(true);
        if (GetFocus() == back.hwnd()) {
            SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_WIZARD_NEXT)),
                         TRUE);
        }
        back.Enable(false);
    } else {
        back.Enable(true);
    }
    back.Show(true);
    ShowFinishButton(false);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// On the last page Next gives way to the finishing button, which also becomes the default.
void CKRVSetupWizard::ShowFinishButton(bool show) {
    const fw::Button next(hwnd(), IDC_WIZARD_NEXT);
    const fw::Button finish(hwnd(), IDC_WIZARD_FINISH);
    const HWND focus = GetFocus();
    next.Show(!show);
    finish.Show(show);
    SendMessageW(hwnd(), DM_SETDEFID, show ? IDC_WIZARD_FINISH : IDC_WIZARD_NEXT, 0);
    if (show) {
        SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(finish.hwnd()), TRUE);
    } else if (focus == finish.hwnd()) {
        SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next.hwnd()), TRUE);
    }
}

std::string CKRVSetupWizard::DefaultSource() const {
    const std::string documents = shell_.DocumentsFolder();
    return documents.empty() ? fw::LoadText(IDS_DEFAULT_SOURCE) : documents;
}

// The drive the user selected is the destination, and the disk in it the backup disk: its
// identity is stored now. A drive without a disk takes back an identity stored earlier in this
// run for another drive, so that the engine asks for a disk in this one.
bool CKRVSetupWizard::LeaveDrivePage() {
    const std::string root = drive_->SelectedRootPath();
    if (root.empty()) {
        Tell(fw::LoadText(IDS_CHOOSE_DRIVE));
        return false;
    }
    drvKit::Drive drive(root[0]);
    const DiskFigures disk = ReadDiskFigures(drive);
    drive_->SetFreeSpaceText(FreeSpaceText(disk.hasDisk, disk.freeBytes));
    // A failed store is not reported here: "DiskID" then reads as missing, the wizard stores
    // "0" at the end, and the engine asks for the disk on its first pass.
    if (disk.hasDisk && !disk.identifier.empty()) {
        storedDiskId_ = store_.WriteDiskId(disk.identifier) == 0;
    } else if (storedDiskId_) {
        static_cast<void>(journal_.RestoreDiskId());
        storedDiskId_ = false;
    }
    if (sources_->Folders().empty()) {
        sources_->AddFolder(DefaultSource());
    } else {
        SourcesChanged();  // the folders' contents may have changed meanwhile
    }
    return true;
}

// Until the user picks a drive on the drive page, it shows the destination of an earlier
// configuration, or else the first drive.
void CKRVSetupWizard::EnterDiskLabelPage() {
    drive_->OnPageActivate();
    if (drive_->userChoseDrive()) {
        return;
    }
    std::string destination;
    // Missing or malformed: nothing to preselect.
    static_cast<void>(store_.ReadDestination(destination));
    if (!destination.empty()) {
        drive_->SelectDriveByLetter(destination[0]);
    }
    if (drive_->SelectedRootPath().empty() && !drive_->list().rows().empty()) {
        drive_->SelectDriveByLetter(drive_->list().rows().front().rootPath[0]);
    }
    drive_->OnPageActivate();
}

// Folders the user chose in the picker that do not exist (any more) are made; the folders the
// wizard offered itself are never created.
void CKRVSetupWizard::EnterSourcePage() {
    os::FileSystem& files = shell_.machine().files;
    for (const std::string& folder :
         FoldersToCreate(sources_->Folders(), sources_->chosenFolders())) {
        // The wizard does not look at the result: the size shows what is there.
        static_cast<void>(CreateFolderPath(files, folder));
    }
}

void CKRVSetupWizard::Finish() {
    if (GetActivePage() != &congratulations_) {
        Next();
        return;
    }
    const std::string root = drive_->SelectedRootPath();
    if (root.empty()) {
        Tell(fw::LoadText(IDS_CHOOSE_DRIVE));
        return;
    }
    choices_.destination = root;
    choices_.sources = sources_->Folders();
    if (choices_.sources.empty()) {
        choices_.sources.push_back(DefaultSource());
    }
    choices_.revisions = RevisionsValue(revisions_.Choice(), revisions_.Count());
    congratulations_.UpdateData(true);
    choices_.trayIcon = static_cast<uint32_t>(congratulations_.trayIcon());
    EndDialog(IDOK);
}

void CKRVSetupWizard::Help() {
    if (helpRunning) {
        return;
    }
    const int page = GetActiveIndex();
    if (page < 0 || page >= static_cast<int>(kHelpPages.size())) {
        return;
    }
    helpRunning = true;
    // A page that does not open is not reported.
    shell_.OpenHelpPage(fw::Wide(fw::LoadText(kHelpPages[static_cast<size_t>(page)])));
    helpRunning = false;
}

// What the wizard stored on its way goes, and the settings are as the wizard found them.
void CKRVSetupWizard::OnCancel() {
    // A key that cannot be cleaned is not reported: the program is unconfigured either way.
    static_cast<void>(journal_.Cancel());
    EndDialog(IDCANCEL);
}

void CKRVSetupWizard::SourcesChanged() {
    if (sizes_ == nullptr || sources_ == nullptr || sources_->hwnd() == nullptr) {
        return;
    }
    sizeRequest_ = sizes_->Request(sources_->Folders());
    sources_->ShowCopySize(std::nullopt);
}

std::optional<uint64_t> CKRVSetupWizard::KnownSourceSize() const {
    return sizes_ != nullptr ? sizes_->Total(sizeRequest_) : std::nullopt;
}

void CKRVSetupWizard::SizesKnown(uint64_t request) {
    if (request != sizeRequest_) {
        return;  // the list changed meanwhile
    }
    const std::optional<uint64_t> total = KnownSourceSize();
    if (!total) {
        return;
    }
    sources_->ShowCopySize(total);
    if (reviewDisk_) {
        review_.SetTexts(ComposeReview());
    }
}

std::string CKRVSetupWizard::RevisionsSentence() {
    switch (revisions_.Choice()) {
        case RevisionsChoice::Limited:
            return fw::FormatText(fw::LoadText(IDS_REVISIONS_KEPT),
                                  {std::to_string(revisions_.Count())});
        case RevisionsChoice::None:
            return fw::FormatText(fw::LoadText(IDS_REVISIONS_KEPT), {"0"});
        case RevisionsChoice::Unlimited:
            break;
    }
    return fw::LoadText(IDS_REVISIONS_UNLIMITED);
}

// The disk of the destination drive is read when the user leaves the revisions page; the
// figures that need the folders' size follow it once the size is known.
void CKRVSetupWizard::ComputeReviewFigures() {
    const fw::WaitCursor wait;
    revisions_.LimitCount();
    const std::string root = drive_->SelectedRootPath();
    drvKit::Drive drive = root.empty() ? drvKit::Drive() : drvKit::Drive(root[0]);
    reviewDisk_ = ReadDiskFigures(drive);
    reviewDriveName_ = drive.getLabelText();
    reviewMaxRawCapacity_ = drive.getMaxRawCapacity().get();
    reviewFamily_ = drive.getFamily();
    reviewDriveIcon_ = drive.getIcon(drvKit::kIconLarge);
    review_.SetTexts(ComposeReview());
}

ReviewTexts CKRVSetupWizard::ComposeReview() {
    const DiskFigures& disk = *reviewDisk_;
    const std::optional<uint64_t> size = KnownSourceSize();
    const std::string pending = fw::LoadText(IDS_SIZE_PENDING);
    ReviewTexts texts;
    texts.folders = sources_->Folders();
    texts.revisions = RevisionsSentence();
    const std::string freeMb = engine::FreeMegabytesText(disk.hasDisk, disk.freeBytes);
    texts.freeText = fw::FormatText(fw::LoadText(IDS_HAS_FREE_SPACE), {freeMb});
    texts.diskSentence = fw::FormatText(fw::LoadText(IDS_DISK_SENTENCE),
                                        {reviewDriveName_, disk.volumeName, freeMb});
    texts.volumeName = disk.volumeName;
    texts.driveName = reviewDriveName_;
    texts.driveIcon = reviewDriveIcon_;
    texts.dataText =
        fw::FormatText(fw::LoadText(IDS_CONTAINS_DATA),
                       {size ? std::to_string(engine::DataMegabytesShown(*size)) : pending});
    texts.estimate = fw::FormatText(
        fw::LoadText(IDS_DISKS_NEEDED),
        {size ? std::to_string(ReviewDisksNeeded(*size, disk.hasDisk, disk.freeBytes,
                                                 reviewMaxRawCapacity_, reviewFamily_))
              : pending});
    return texts;
}

}  // namespace ui
