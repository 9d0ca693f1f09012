#include "engine/path_text.h"

#include <vector>

#include "os/text.h"

namespace engine {

namespace {

// The text split into characters, each kept as its UTF-8 bytes.
std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        bool valid = true;
        os::DecodeCodePoint(text, pos, valid);
        out.push_back(text.substr(start, pos - start));
    }
    return out;
}

std::string Join(const std::vector<std::string_view>& chars, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to && i < chars.size(); ++i) {
        out.append(chars[i]);
    }
    return out;
}

bool IsBackslash(std::string_view c) {
    return c == "\\";
}

}  // namespace

size_t CharacterCount(std::string_view text) {
    return Characters(text).size();
}

std::string GetFileNamePart(std::string_view path) {
    const size_t cut = path.find_last_of("\\/:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string AbbreviatePath(std::string_view path, size_t maxLength, bool keepName) {
    const std::vector<std::string_view> chars = Characters(path);
    const size_t len = chars.size();
    const std::string name = GetFileNamePart(path);
    const size_t n = CharacterCount(name);
    if (maxLength >= len) {
        return std::string(path);
    }
    if (maxLength < n) {
        return keepName ? name : std::string();
    }
    // The prefix that always stays: the drive, or \\server, and the first folder.
    size_t p = std::min<size_t>(2, len);
    const bool unc =
        len > 2 && IsBackslash(chars[0]) && IsBackslash(chars[1]) && !IsBackslash(chars[2]);
    if (unc) {
        while (p < len && !IsBackslash(chars[p])) {
            ++p;
        }
    }
    if (len - n > 3) {
        ++p;
        while (p < len && !IsBackslash(chars[p])) {
            ++p;
        }
    }
    const size_t prefixLength = p;
    if (maxLength < prefixLength + n + 5) {
        return name;
    }
    size_t rest = p;
    while ((len - rest) + prefixLength + 4 > maxLength && rest < len) {
        ++rest;
        while (rest < len && !IsBackslash(chars[rest])) {
            ++rest;
        }
    }
    return Join(chars, 0, prefixLength) + "\\..." + Join(chars, rest, len);
}

}  // namespace engine
