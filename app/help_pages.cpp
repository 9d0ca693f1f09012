#include "app/help_pages.h"

#include <vector>

#include "framework/windows_api.h"

namespace app {

std::wstring ProgramPath() {
    // The module name grows until it fits: a program installed deep in a folder tree still
    // finds its pages.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            const std::wstring module(buffer.data(), length);
            const DWORD needed = GetFullPathNameW(module.c_str(), 0, nullptr, nullptr);
            if (needed == 0) {
                return module;
            }
            std::vector<wchar_t> full(needed);
            const DWORD got = GetFullPathNameW(module.c_str(), needed, full.data(), nullptr);
            return got > 0 && got < needed ? std::wstring(full.data(), got) : module;
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring PathBeside(std::wstring_view path, std::wstring_view name) {
    const size_t slash = path.rfind(L'\\');
    std::wstring result(slash == std::wstring_view::npos ? std::wstring_view{}
                                                         : path.substr(0, slash + 1));
    result += name;
    return result;
}

void OpenHelpPage(std::wstring_view page) {
    const std::wstring path = PathBeside(ProgramPath(), page);
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace app
