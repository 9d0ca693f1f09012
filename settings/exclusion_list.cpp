#include "settings/exclusion_list.h"

#include <memory>

#include "os/errors.h"
#include "os/text.h"

namespace settings {

namespace {

constexpr size_t kLongestExtensionWithDot = 7;  // ".jpeg" is offered, ".torrent2" is not
constexpr size_t kLongestDescription = 399;

std::string_view WithoutLeadingDots(std::string_view entry) {
    while (!entry.empty() && entry.front() == '.') {
        entry.remove_prefix(1);
    }
    return entry;
}

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The default value of a key as text (up to its first NUL); false when it cannot be read or is
// not a string.
bool ReadDefaultText(os::Registry& registry, const std::string& keyPath, std::string& text) {
    std::unique_ptr<os::RegistryKey> key;
    if (registry.OpenKey(os::Hive::ClassesRoot, keyPath, false, key) != os::kErrorSuccess) {
        return false;
    }
    os::RegistryValue value;
    if (key->QueryValue("", value) != os::kErrorSuccess) {
        return false;
    }
    if (value.type != os::kRegSz && value.type != os::kRegExpandSz) {
        return false;
    }
    text = value.data.substr(0, value.data.find('\0'));
    return true;
}

}  // namespace

ExclusionMatcher::ExclusionMatcher(const std::vector<std::string>& exclusions) {
    for (const std::string& entry : exclusions) {
        const std::string_view bare = WithoutLeadingDots(entry);
        if (bare.empty()) {
            continue;
        }
        entries_.insert(os::Upcase(bare));
        size_t dots = 0;
        for (char c : bare) {
            dots += c == '.' ? 1 : 0;
        }
        mostDots_ = std::max(mostDots_, dots);
    }
}

bool ExclusionMatcher::Matches(std::string_view path) const {
    if (entries_.empty()) {
        return false;
    }
    const std::string_view name = FileNameOf(path);
    // The text after the last dot first, then after the dot before it, as far as an entry
    // has dots.
    size_t end = name.size();
    for (size_t tried = 0; tried <= mostDots_; ++tried) {
        const size_t dot = name.rfind('.', end == 0 ? std::string_view::npos : end - 1);
        if (dot == std::string_view::npos || end == 0) {
            return false;
        }
        if (entries_.count(os::Upcase(name.substr(dot + 1))) != 0) {
            return true;
        }
        end = dot;
    }
    return false;
}

bool IsExcluded(std::string_view path, const std::vector<std::string>& exclusions) {
    return ExclusionMatcher(exclusions).Matches(path);
}

std::string NormalizeExtension(std::string_view typed) {
    const size_t dot = typed.find('.');
    if (dot != std::string_view::npos) {
        typed.remove_prefix(dot + 1);
    }
    while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t')) {
        typed.remove_prefix(1);
    }
    while (!typed.empty() && (typed.back() == ' ' || typed.back() == '\t')) {
        typed.remove_suffix(1);
    }
    return std::string(typed);
}

void EnumerateFileTypes(os::Registry& registry, std::vector<KnownFileType>& types) {
    types.clear();
    std::unique_ptr<os::RegistryKey> root;
    if (registry.OpenKey(os::Hive::ClassesRoot, "", false, root) != os::kErrorSuccess) {
        return;
    }
    std::string name;
    for (uint32_t index = 0; root->EnumerateSubkey(index, name) == os::kErrorSuccess; ++index) {
        if (name.empty() || name.front() != '.' ||
            os::Utf16Length(name) > kLongestExtensionWithDot) {
            continue;
        }
        std::string programId;
        if (!ReadDefaultText(registry, name, programId) || programId.empty()) {
            continue;
        }
        std::string description;
        if (!ReadDefaultText(registry, programId, description) || description.empty() ||
            os::Utf16Length(description) > kLongestDescription) {
            continue;
        }
        types.push_back({name.substr(1), description});
    }
}

}  // namespace settings
