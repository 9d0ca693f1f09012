#pragma once
// The source folders as the settings keep them, and the checks the settings window makes before
// it stores them (portable).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/file_system.h"

namespace ui {

// The list to store: every folder once, in the order given. Two entries are the same folder when
// they differ only in letter case or a trailing backslash; a folder inside another one of the
// list goes, since the outer one already copies its files to the same place. Empty entries go.
// Texts are kept as the user gave them, whatever their length or script.
std::vector<std::string> CleanSourceList(const std::vector<std::string>& folders);

// True when folder is covering itself or lies inside it (ignoring case and trailing
// backslashes). "C:\" covers every folder of drive C:.
bool FolderCovers(std::string_view covering, std::string_view folder);

// The folders of `chosen` that no folder of `before` covers: folders whose files an earlier
// last-sync time would leave out of the backup.
std::vector<std::string> FoldersNotCoveredBy(const std::vector<std::string>& chosen,
                                             const std::vector<std::string>& before);

// The folders of the list that are not there as folders now.
std::vector<std::string> MissingFolders(os::FileSystem& files,
                                        const std::vector<std::string>& folders);

// Creates the folder and every missing folder above it. 0 when the folder exists afterwards;
// otherwise the error of the step that failed (5 when access is denied, 267 when a file stands
// where a folder should be, 123 for a path that has no drive or share to start from).
uint32_t CreateFolderWithParents(os::FileSystem& files, const std::string& folder);

}  // namespace ui
