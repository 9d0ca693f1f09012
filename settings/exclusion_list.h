#pragma once
// The file types the backup leaves out, by extension ("Filter": entries without their dot, letter
// case kept, matched ignoring case), and the file types registered on the computer that the
// exclusion dialog offers.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "os/registry.h"

namespace settings {

// True when the file's extension, the text after the last dot of its name, equals an entry,
// ignoring case. An entry with dots of its own (tar.gz) matches the end of the name after a dot,
// so what the dialog makes of "archive.tar.gz" excludes such files. A leading dot on an entry
// is ignored; an empty entry matches nothing.
bool IsExcluded(std::string_view path, const std::vector<std::string>& exclusions);

// The same test, prepared once for a scan of many files.
class ExclusionMatcher {
  public:
    explicit ExclusionMatcher(const std::vector<std::string>& exclusions);
    bool Matches(std::string_view path) const;
    bool Empty() const { return entries_.empty(); }

  private:
    std::unordered_set<std::string> entries_;  // upper case, without a leading dot
    size_t mostDots_ = 0;                      // the most dots one entry has
};

// What the user typed, as an entry: everything up to and including the first dot goes, so
// ".doc", "doc" and "file.doc" all give "doc" and "a.b.c" gives "b.c". Surrounding spaces go too
// (a name cannot end with a space).
std::string NormalizeExtension(std::string_view typed);

struct KnownFileType {
    std::string extension;  // without its dot
    std::string description;
    friend bool operator==(const KnownFileType&, const KnownFileType&) = default;
};

// The registered file types of HKEY_CLASSES_ROOT, in the registry's order: every subkey ".ext"
// whose default value names a program identifier whose own key has a non-empty default value
// (the description). Kept only when ".ext" is shorter than 8 characters and the description
// shorter than 400. Every registry failure just leaves that type out.
void EnumerateFileTypes(os::Registry& registry, std::vector<KnownFileType>& types);

}  // namespace settings
