#include "installer/running_program.h"

#include "app/messages.h"
#include "res/resource.h"

namespace installer {

namespace {

class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

struct NoticeSearch {
    DWORD processId;
    HWND found;
};

// The turn-off notice is a dialog of the program's process with the notice's text control.
BOOL CALLBACK FindTurnOffNotice(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<NoticeSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (owner == search.processId && IsWindowVisible(window) && wcscmp(className, L"#32770") == 0 &&
        GetDlgItem(window, IDC_TURN_OFF_TEXT) != nullptr) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// True when the process has ended; without a handle, when its main window is gone.
bool HasEnded(const OwnedHandle& process, HWND mainWindow, DWORD waitMs) {
    if (process.get() != nullptr) {
        return WaitForSingleObject(process.get(), waitMs) == WAIT_OBJECT_0;
    }
    Sleep(waitMs);
    return IsWindow(mainWindow) == FALSE;
}

}  // namespace

EndResult EndRunningProgram(const EndTimeouts& timeouts) {
    const HWND mainWindow = FindWindowW(app::kMainWindowClass, nullptr);
    if (mainWindow == nullptr) {
        return EndResult::NotRunning;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    const OwnedHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!PostMessageW(mainWindow, WM_COMMAND, ID_TRAY_CLOSE, 0)) {
        return EndResult::StillRunning;
    }

    // The program either closes at once (switched off) or asks with notice 135; while another
    // of its windows is open (settings, wizard, a prompt) it ignores Close, and so do we.
    constexpr DWORD kStep = 50;
    bool accepted = false;
    for (DWORD waited = 0; waited < timeouts.accept && !accepted; waited += kStep) {
        if (HasEnded(process, mainWindow, kStep)) {
            return EndResult::Ended;
        }
        NoticeSearch search = {processId, nullptr};
        EnumWindows(&FindTurnOffNotice, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            PostMessageW(GetDlgItem(search.found, IDOK), BM_CLICK, 0, 0);
            accepted = true;
        } else if (!IsWindow(mainWindow)) {
            accepted = true;  // closed without asking; the process is on its way out
        }
    }
    if (!accepted) {
        return EndResult::StillRunning;
    }
    for (DWORD waited = 0; waited < timeouts.exit; waited += kStep) {
        if (HasEnded(process, mainWindow, kStep)) {
            return EndResult::Ended;
        }
    }
    return EndResult::StillRunning;
}

}  // namespace installer
