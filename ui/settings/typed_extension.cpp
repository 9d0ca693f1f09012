#include "ui/settings/typed_extension.h"

#include "os/text.h"

namespace ui {

bool IsForbiddenInName(char32_t character) {
    if (character < 0x20 || character == 0x7F) {
        return true;
    }
    switch (character) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return false;
    }
}

std::string WithoutForbiddenCharacters(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        const size_t start = position;
        bool valid = true;
        const uint32_t character = os::DecodeCodePoint(text, position, valid);
        if (!IsForbiddenInName(character)) {
            kept.append(text.substr(start, position - start));
        }
    }
    return kept;
}

}  // namespace ui
