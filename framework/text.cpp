#include "framework/text.h"

#include "framework/application.h"
#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"

namespace fw {

std::wstring Wide(std::string_view text) {
    return os::win32::Widen(text);
}

std::string Utf8(std::wstring_view text) {
    return os::win32::Narrow(text);
}

std::string LoadText(UINT id) {
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself, so a
    // string of any length loads whole.
    const wchar_t* resource = nullptr;
    const int length =
        LoadStringW(Application::ResourceInstance(), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || resource == nullptr) {
        return {};
    }
    return Utf8(std::wstring_view(resource, static_cast<size_t>(length)));
}

std::string GetText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return Utf8(text);
}

void SetText(HWND window, std::string_view text) {
    SetWindowTextW(window, Wide(text).c_str());
}

std::string SystemErrorText(DWORD code, size_t maxChars) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer),
        0, nullptr);
    const os::win32::LocalBuffer owner(buffer);
    if (length == 0 || buffer == nullptr) {
        return {};
    }
    std::wstring text(buffer, length);
    if (text.size() > maxChars) {
        text.resize(maxChars);
    }
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return Utf8(text);
}

}  // namespace fw
