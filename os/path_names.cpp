#include "os/path_names.h"

#include <array>

#include "os/errors.h"
#include "os/text.h"
#include "os/wildcard.h"

namespace os {

namespace {

constexpr size_t kLongestName = 255;

bool IsSeparator(char c, bool literal) {
    return c == '\\' || (!literal && c == '/');
}

bool IsForbidden(unsigned char c) {
    return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '|' ||
           c == '\\';
}

bool IsValidName(std::string_view name, bool wildcards) {
    if (name.empty() || Utf16Length(name) > kLongestName || !IsWellFormed(name)) {
        return false;
    }
    for (char c : name) {
        if (IsForbidden(static_cast<unsigned char>(c))) {
            return false;
        }
        if (!wildcards && (c == '*' || c == '?')) {
            return false;
        }
    }
    return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> Split(std::string_view text, bool literal) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i], literal)) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return pieces;
}

}  // namespace

std::string NormalizedPath::Full() const {
    std::string full = volume;
    if (parts.empty()) {
        full += "\\";
    }
    for (const std::string& part : parts) {
        full += "\\" + part;
    }
    return full;
}

uint32_t NormalizePath(std::string_view path, bool pattern, NormalizedPath& out) {
    out = {};
    std::string_view text = path;
    bool share = false;
    if (text.starts_with("\\\\?\\")) {
        out.literal = true;
        text.remove_prefix(4);
        if (StartsWithIgnoreCase(text, "UNC\\")) {
            share = true;
            text.remove_prefix(4);
        }
    } else if (text.size() >= 2 && IsSeparator(text[0], false) && IsSeparator(text[1], false)) {
        share = true;
        text.remove_prefix(2);
    }
    const std::vector<std::string_view> pieces = Split(text, out.literal);
    size_t first = 0;
    if (share) {
        std::array<std::string_view, 2> named;
        size_t found = 0;
        while (first < pieces.size() && found < 2) {
            if (!pieces[first].empty()) {
                named[found++] = pieces[first];
            }
            ++first;
        }
        // A server or share name is a name like any other ("\\.\" and "\\?\" with other
        // separators name devices, which are no volumes).
        if (found < 2 || !IsValidName(named[0], false) || !IsValidName(named[1], false) ||
            named[0] == "." || named[0] == ".." || named[1] == "." || named[1] == "..") {
            return kErrorBadPathname;
        }
        out.volume = Upcase("\\\\" + std::string(named[0]) + "\\" + std::string(named[1]));
    } else {
        const std::string_view drive = pieces[0];
        const auto letter = drive.empty() ? '\0' : static_cast<unsigned char>(drive[0]);
        const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
        if (drive.size() != 2 || drive[1] != ':' || !isLetter) {
            return kErrorInvalidName;
        }
        out.volume = Upcase(drive);
        first = 1;
    }
    for (size_t i = first; i < pieces.size(); ++i) {
        std::string_view part = pieces[i];
        const bool last = i + 1 == pieces.size();
        const bool isPattern = pattern && last && HasWildcards(part);
        if (!out.literal) {
            // Trailing dots and spaces go, except in a search pattern ("*." means no extension).
            while (!isPattern && !part.empty() && (part.back() == '.' || part.back() == ' ') &&
                   part != "." && part != "..") {
                part.remove_suffix(1);
            }
            if (part.empty() || part == ".") {
                continue;
            }
            if (part == "..") {
                if (!out.parts.empty()) {
                    out.parts.pop_back();
                }
                continue;
            }
        } else if (part.empty()) {
            continue;
        }
        if (!IsValidName(part, pattern && last)) {
            return kErrorInvalidName;
        }
        out.parts.emplace_back(part);
    }
    return kErrorSuccess;
}

bool IsReservedDeviceName(std::string_view name) {
    // The part before the first dot, without the spaces that end it, names the device.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    const std::string upper = Upcase(base);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" ||
        upper == "CONIN$" || upper == "CONOUT$") {
        return true;
    }
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) {
        return false;
    }
    const std::string_view number = std::string_view(upper).substr(3);
    // A digit, or the superscripts one, two and three, which Windows counts as digits here.
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
           number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

NameProblem ProblemOfName(std::string_view name, size_t longestName) {
    if (name.empty() || !IsWellFormed(name)) {
        return NameProblem::InvalidCharacter;
    }
    for (char c : name) {
        if (IsForbidden(static_cast<unsigned char>(c)) || c == '*' || c == '?') {
            return NameProblem::InvalidCharacter;
        }
    }
    if (name.back() == '.' || name.back() == ' ') {
        return NameProblem::TrailingDotOrSpace;
    }
    if (IsReservedDeviceName(name)) {
        return NameProblem::ReservedDevice;
    }
    if (Utf16Length(name) > longestName) {
        return NameProblem::TooLong;
    }
    return NameProblem::None;
}

NameProblem ProblemOfPath(std::string_view path, size_t longestName, std::string* name) {
    // Below the volume: after "X:\" or "\\server\share\" (with or without "\\?\").
    std::string_view rest = path;
    bool share = false;
    if (rest.starts_with("\\\\?\\")) {
        rest.remove_prefix(4);
        if (StartsWithIgnoreCase(rest, "UNC\\")) {
            rest.remove_prefix(4);
            share = true;
        }
    } else if (rest.starts_with("\\\\")) {
        rest.remove_prefix(2);
        share = true;
    }
    size_t skip = share ? 2 : 1;
    size_t start = 0;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i != rest.size() && rest[i] != '\\') {
            continue;
        }
        const std::string_view part = rest.substr(start, i - start);
        start = i + 1;
        if (skip > 0) {
            --skip;
            continue;
        }
        if (part.empty()) {
            continue;
        }
        const NameProblem problem = ProblemOfName(part, longestName);
        if (problem != NameProblem::None) {
            if (name != nullptr) {
                *name = std::string(part);
            }
            return problem;
        }
    }
    return NameProblem::None;
}

}  // namespace os
