// A stand-in for a web browser in the hyperlink tests: writes the command line it was started
// with, as UTF-16, to the file named by FERROLIN_RECORD_TO.

#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t target[32768];
    const DWORD length = GetEnvironmentVariableW(L"FERROLIN_RECORD_TO", target, 32768);
    if (length == 0 || length >= 32768) {
        return 1;
    }
    const HANDLE file = CreateFileW(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 2;
    }
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)),
                              &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 3;
}
