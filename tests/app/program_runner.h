#pragma once
// Starts the real Ferrolin2.exe and finds its windows, for the end-to-end tests and the
// screenshots of the running program.

#include <windows.h>

#include <functional>
#include <string>

namespace endtoend {

inline constexpr wchar_t kMainWindowClass[] = L"Dizirazurovuviriz2arodorezarad";
inline constexpr wchar_t kProgramTitle[] = L"Corvant Ferrolin 2";
inline constexpr UINT kOpenMessage = WM_USER + 1;
inline constexpr UINT kTrayNotifyMessage = WM_USER + 10;
inline constexpr UINT kTrayIconId = 107;

// The program beside the tests in the build tree.
std::wstring ProgramPath();

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);

class RunningProgram {
  public:
    // Starts the program with the given command-line arguments (the program path given, or the
    // one beside the tests).
    explicit RunningProgram(const std::wstring& arguments = L"", std::wstring program = L"");
    ~RunningProgram();  // ends the program if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD processId() const { return processId_; }
    // Waits for this process's main window; null after the time-out.
    HWND WaitForMainWindow(DWORD timeoutMs);
    // Waits for the process to end; true with its exit code when it did.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
    bool IsRunning() const;
    // A visible top-level window of this process with the class (and, when not empty, a child
    // control whose text begins with textStart); null when there is none.
    HWND FindWindowOfProcess(const wchar_t* className, const std::wstring& textStart = L"") const;
    // Ends the program at once (a test that failed half-way).
    void Kill();

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

std::wstring WindowText(HWND window);
// True when the notification area holds the icon of this window and identifier.
bool TrayIconExists(HWND owner, UINT id);
// Makes the page at index (0 General, 1 Advanced, 2 Scheduling) of the settings dialog of the
// program the visible one and returns it; null when the dialog has no sheet.
HWND ShowSettingsPage(HWND settings, int index);
// Ends every process that owns a window of the program's class (left over by an earlier run).
void EndLeftoverInstances();

}  // namespace endtoend
