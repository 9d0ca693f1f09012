#include "os/text.h"

#include <algorithm>

namespace os {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

uint32_t DecodeCodePoint(std::string_view text, size_t& pos, bool& valid) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    valid = true;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    uint32_t value = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    }
    if (length == 0 || pos + length > text.size()) {
        valid = false;
        ++pos;
        return lead;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) {
            valid = false;
            ++pos;
            return lead;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF) {
        valid = false;
        ++pos;
        return lead;
    }
    pos += length;
    return value;
}

void AppendCodePoint(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsWellFormed(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        bool valid = true;
        DecodeCodePoint(text, pos, valid);
        if (!valid) {
            return false;
        }
    }
    return true;
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        bool valid = true;
        uint32_t c = DecodeCodePoint(text, pos, valid);
        if (!valid) {
            c = kReplacement;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendCodePoint(out, c);  // a lone surrogate keeps its three-byte form
    }
    return out;
}

size_t Utf16Length(std::string_view text) {
    size_t units = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        bool valid = true;
        const uint32_t c = DecodeCodePoint(text, pos, valid);
        units += (valid && c >= 0x10000) ? 2 : 1;
    }
    return units;
}

// The simple upper-case mapping of the scripts people name their files in: Latin, Greek,
// Cyrillic, Armenian and the full-width forms. Characters outside these blocks compare as
// themselves.
uint32_t UpcaseCodePoint(uint32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c >= 0x100 && c <= 0x17F) {
        if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) ||
            (c >= 0x14A && c <= 0x177)) {
            return (c & 1) ? c - 1 : c;
        }
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
            return (c & 1) ? c : c - 1;
        }
        return c;
    }
    if (c >= 0x180 && c <= 0x24F) {
        if ((c >= 0x1CD && c <= 0x1DC)) {
            return (c & 1) ? c : c - 1;
        }
        if ((c >= 0x1DE && c <= 0x1EF) || (c >= 0x1F8 && c <= 0x21F) ||
            (c >= 0x222 && c <= 0x233) || (c >= 0x246 && c <= 0x24F)) {
            return (c & 1) ? c - 1 : c;
        }
        return c;
    }
    if (c >= 0x370 && c <= 0x3FF) {
        if (c >= 0x3B1 && c <= 0x3CB) {
            return c == 0x3C2 ? 0x3A3 : c - 0x20;
        }
        switch (c) {
            case 0x3AC:
                return 0x386;
            case 0x3AD:
                return 0x388;
            case 0x3AE:
                return 0x389;
            case 0x3AF:
                return 0x38A;
            case 0x3CC:
                return 0x38C;
            case 0x3CD:
                return 0x38E;
            case 0x3CE:
                return 0x38F;
            default:
                break;
        }
        if (c >= 0x3D8 && c <= 0x3EF) {
            return (c & 1) ? c - 1 : c;
        }
        return c;
    }
    if (c >= 0x400 && c <= 0x52F) {
        if (c >= 0x430 && c <= 0x44F) {
            return c - 0x20;
        }
        if (c >= 0x450 && c <= 0x45F) {
            return c - 0x50;
        }
        if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) ||
            (c >= 0x4D0 && c <= 0x52F)) {
            return (c & 1) ? c - 1 : c;
        }
        if (c >= 0x4C1 && c <= 0x4CE) {
            return (c & 1) ? c : c - 1;
        }
        if (c == 0x4CF) {
            return 0x4C0;
        }
        return c;
    }
    if (c >= 0x561 && c <= 0x586) {
        return c - 0x30;
    }
    if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) {
        return (c & 1) ? c - 1 : c;
    }
    if (c >= 0x1F00 && c <= 0x1FFF) {
        // Greek extended: lower-case rows are the first eight of each sixteen.
        const uint32_t row = c & 0xFFF0;
        if ((row == 0x1F00 || row == 0x1F10 || row == 0x1F20 || row == 0x1F30 || row == 0x1F40 ||
             row == 0x1F60) &&
            (c & 0xF) < 8) {
            return c + 8;
        }
        return c;
    }
    if (c >= 0x2170 && c <= 0x217F) {
        return c - 0x10;  // small roman numerals
    }
    if (c >= 0x24D0 && c <= 0x24E9) {
        return c - 0x1A;  // circled small letters
    }
    if (c >= 0xFF41 && c <= 0xFF5A) {
        return c - 0x20;
    }
    return c;
}

std::string Upcase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        bool valid = true;
        const uint32_t c = DecodeCodePoint(text, pos, valid);
        if (!valid) {
            out.append(text.substr(start, pos - start));  // an invalid byte stays as it is
        } else {
            AppendCodePoint(out, UpcaseCodePoint(c));
        }
    }
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return CompareIgnoreCase(a, b) == 0;
}

int CompareIgnoreCase(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        bool validA = true;
        bool validB = true;
        const uint32_t ca = DecodeCodePoint(a, i, validA);
        const uint32_t cb = DecodeCodePoint(b, j, validB);
        const uint32_t ua = validA ? UpcaseCodePoint(ca) : ca;
        const uint32_t ub = validB ? UpcaseCodePoint(cb) : cb;
        if (ua != ub) {
            return ua < ub ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; });
    return out;
}

}  // namespace os
