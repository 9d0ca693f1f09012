#include "tests/app/program_runner.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace endtoend {

std::wstring ProgramPath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring self(buffer.data(), length);
    return self.substr(0, self.rfind(L'\\') + 1) + FERROLIN_PROGRAM_RELATIVE_PATH;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(pollMs);
    }
}

RunningProgram::RunningProgram(const std::wstring& arguments, std::wstring program) {
    if (program.empty()) {
        program = ProgramPath();
    }
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (process_ != nullptr) {
        Kill();
        CloseHandle(process_);
    }
}

void RunningProgram::Kill() {
    if (process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

bool RunningProgram::IsRunning() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

namespace {

struct WindowSearch {
    DWORD processId = 0;
    const wchar_t* className = nullptr;
    std::wstring textStart;
    HWND found = nullptr;
};

BOOL CALLBACK HasChildText(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    wchar_t text[512] = L"";
    GetWindowTextW(child, text, 512);
    if (std::wstring(text).rfind(search->textStart, 0) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t className[256] = L"";
    GetClassNameW(window, className, 256);
    if (std::wstring(className) != search->className) {
        return TRUE;
    }
    if (search->textStart.empty()) {
        search->found = window;
        return FALSE;
    }
    WindowSearch inner = *search;
    inner.found = nullptr;
    EnumChildWindows(window, &HasChildText, reinterpret_cast<LPARAM>(&inner));
    if (inner.found != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND RunningProgram::FindWindowOfProcess(const wchar_t* className,
                                         const std::wstring& textStart) const {
    WindowSearch search{processId_, className, textStart, nullptr};
    EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND RunningProgram::WaitForMainWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr);
                 window != nullptr;
                 window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == processId_) {
                    found = window;
                    return true;
                }
            }
            return !IsRunning();
        },
        timeoutMs, 20);
    return found;
}

bool RunningProgram::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process_, &exitCode) != 0;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

HWND ShowSettingsPage(HWND settings, int index) {
    HWND sheet = nullptr;
    for (HWND child = GetWindow(settings, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = L"";
        GetClassNameW(child, name, 32);
        if (wcscmp(name, L"#32770") == 0) {
            sheet = child;  // the sheet is the dialog's one child dialog
        }
    }
    if (sheet == nullptr) {
        return nullptr;
    }
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(
        SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

// Modifying an icon succeeds only when the notification area holds it.
bool TrayIconExists(HWND owner, UINT id) {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof record;
    record.hWnd = owner;
    record.uID = id;
    record.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void EndLeftoverInstances() {
    for (int tries = 0; tries < 10; ++tries) {
        const HWND window = FindWindowW(kMainWindowClass, nullptr);
        if (window == nullptr) {
            return;
        }
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
        if (process == nullptr) {
            return;
        }
        TerminateProcess(process, 98);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace endtoend
