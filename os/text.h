#pragma once
// Text helpers of the portable code. Strings are UTF-8; names that came from the system may hold
// lone UTF-16 surrogates, which are kept as their three-byte forms (WTF-8) so that every name
// survives the round trip through the ports unchanged.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace os {

// Decodes one code point at text[pos] and advances pos; an invalid byte decodes as itself
// (0x80..0xFF) and is flagged by valid = false.
uint32_t DecodeCodePoint(std::string_view text, size_t& pos, bool& valid);
void AppendCodePoint(std::string& out, uint32_t codePoint);

// True when text is well-formed WTF-8 (UTF-8 that may contain lone surrogates).
bool IsWellFormed(std::string_view text);

// UTF-16 code units of text (lone surrogates come out as themselves); invalid bytes become
// U+FFFD.
std::u16string ToUtf16(std::string_view text);
std::string FromUtf16(std::u16string_view text);
// How many UTF-16 code units the text takes.
size_t Utf16Length(std::string_view text);

// Windows' ordinal ignore-case meaning: each character compared by its upper-case form.
uint32_t UpcaseCodePoint(uint32_t codePoint);
std::string Upcase(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Negative, zero or positive, ordering by the upper-case forms.
int CompareIgnoreCase(std::string_view a, std::string_view b);

// Plain ASCII helpers.
std::string AsciiLower(std::string_view text);

}  // namespace os
