#pragma once
// Starts the real Ferrolin2.exe and finds its windows, for the end-to-end tests.

#include <windows.h>

#include <string>

namespace endtoend {

inline constexpr wchar_t kMainWindowClass[] = L"Dizirazurovuviriz2arodorezarad";

// The program beside the tests in the build tree.
std::wstring ProgramPath();

class RunningProgram {
  public:
    // Starts the program with the given command-line arguments.
    explicit RunningProgram(const std::wstring& arguments = L"");
    ~RunningProgram();  // ends the program if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_ != nullptr; }
    // Waits for the main window to appear; null after the time-out.
    HWND WaitForMainWindow(DWORD timeoutMs);
    // Waits for the process to end; true with its exit code when it did.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);

  private:
    HANDLE process_ = nullptr;
};

std::wstring WindowText(HWND window);

}  // namespace endtoend
