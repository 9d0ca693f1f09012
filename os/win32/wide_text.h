#pragma once
// UTF-8 (WTF-8) to the UTF-16 of the ...W calls and back, through the converter of os/text.h;
// wchar_t is UTF-16 on Windows, so this is a change of type, not of encoding.

#include <string>
#include <string_view>

#include "os/text.h"

namespace os::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 code unit");

inline std::wstring Widen(std::string_view text) {
    const std::u16string units = ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(std::wstring_view text) {
    return FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace os::win32
