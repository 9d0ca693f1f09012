#pragma once
// What the exclusion dialog's entry field lets in (portable): no character that a file name may
// not contain, whether it was typed, pasted or composed by an input method.

#include <string>
#include <string_view>

namespace ui {

// \ / : * ? " < > | and the control characters.
bool IsForbiddenInName(char32_t character);
// The text without those characters.
std::string WithoutForbiddenCharacters(std::string_view text);

}  // namespace ui
