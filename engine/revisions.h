#pragma once
// The names of numbered revisions. The revision base of a backup E:\Docs\Report.doc is
// E:\Corvant Ferrolin 2 Revisions\Docs\Report.doc; its revisions are Report.(1).doc,
// Report.(2).doc, ... beside that base: the number goes before the extension (the file name's
// part from its last dot), or at the end of a name without a dot (README.(1)).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// String 57685: the folder at the root of the backup disk that holds the revisions.
inline constexpr char kRevisionsFolderName[] = "Corvant Ferrolin 2 Revisions";

class RevisionNames {
  public:
    explicit RevisionNames(const std::string& revisionBase);

    // The search pattern for the base's revisions: folder\stem.(*).ext.
    std::string SearchPattern() const;
    // The full path of revision number n.
    std::string PathFor(uint64_t n) const;
    // The number of a found file name when it is exactly one of this base's revision names
    // (stem.(n).ext with n a decimal number from 1, no leading zero); nothing otherwise.
    std::optional<uint64_t> NumberOf(std::string_view fileName) const;
    // True when the file-name part of a path is longer than a file name may be.
    static bool NameTooLong(const std::string& path);

  private:
    std::string folder_;  // with its trailing backslash
    std::string stem_;
    std::string extension_;  // with its dot, or empty
};

}  // namespace engine
