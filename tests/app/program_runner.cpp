#include "tests/app/program_runner.h"

#include <vector>

namespace endtoend {

std::wstring ProgramPath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring self(buffer.data(), length);
    return self.substr(0, self.rfind(L'\\') + 1) + FERROLIN_PROGRAM_RELATIVE_PATH;
}

RunningProgram::RunningProgram(const std::wstring& arguments) {
    const std::wstring program = ProgramPath();
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
    }
}

RunningProgram::~RunningProgram() {
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 99);  // a test that failed half-way leaves nothing behind
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

HWND RunningProgram::WaitForMainWindow(DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        if (HWND window = FindWindowW(kMainWindowClass, nullptr)) {
            return window;
        }
        Sleep(20);
    } while (GetTickCount64() < end);
    return nullptr;
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

}  // namespace endtoend
