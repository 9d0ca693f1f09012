#include "framework/text_format.h"

#include <vector>

namespace fw {

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    std::string out;
    out.reserve(pattern.size() + 32);
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        const char kind = pattern[i + 1];
        if (kind == '%') {
            out += '%';
            ++i;
        } else if (kind >= '1' && kind <= '9') {
            const size_t index = static_cast<size_t>(kind - '1');
            if (index < values.size()) {
                out += values[index];
            }
            ++i;
        } else if (kind == 's' || kind == 'd') {
            if (next < values.size()) {
                out += values[next];
            }
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int64_t ParseLeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < (int64_t{1} << 40)) {  // beyond any count a control holds; stop growing
            value = value * 10 + (text[i] - '0');
        }
    }
    return negative ? -value : value;
}

}  // namespace fw
