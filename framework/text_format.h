#pragma once
// Filling the placeholders of the program's message texts (portable).

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace fw {

// "%1" to "%9" stand for the argument of that number; "%s" and "%d" take the next argument in
// order; "%%" is a percent sign. A placeholder without an argument becomes empty text, and any
// other "%" stays as it is.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

// A number read from the start of a text as the C library's atol reads it: leading blanks, a
// sign and digits; anything else ends it, and a text without digits is 0. Huge numbers stop
// growing instead of overflowing.
int64_t ParseLeadingNumber(const std::string& text);

}  // namespace fw
