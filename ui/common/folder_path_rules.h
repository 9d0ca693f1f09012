#pragma once
// The rules the folder picker and the create-folder dialog apply to folder paths (portable).
// Paths are UTF-8 Windows paths of any length.

#include <string>
#include <string_view>
#include <vector>

#include "os/file_system.h"

namespace ui {

// The folder a path names, without trailing backslashes; a drive root keeps its one backslash
// ("C:\"), since "C:" alone means the current folder of drive C to the file system.
std::string FolderWithoutTrailingBackslash(std::string_view path);

// The same folder on another drive is listed: some entry differs from path in its drive letter
// only (D:\Data against a listed C:\Data), comparing without case. Both would be copied to the
// same place on the backup disk.
bool IsSameFolderElsewhere(const std::vector<std::string>& listed, std::string_view path);

// The list holds this folder already (comparing without case, trailing backslashes ignored).
bool ListsFolder(const std::vector<std::string>& listed, std::string_view path);

// Why a typed folder path cannot be created; None when it can be tried.
enum class FolderPathProblem {
    None,
    Empty,
    NotOnADrive,         // does not start with a drive letter, a colon and a backslash
    DoubleBackslash,     // two backslashes in a row
    ReservedName,        // CON, PRN, AUX, NUL, COM1-9, LPT1-9 (with or without an extension)
    ForbiddenCharacter,  // < > : " / | ? * or a control character in a name
    TrailingDotOrSpace,  // a name that ends with a dot or a space
};

// Checks a typed path of the form "X:\name\name..." (a trailing backslash is allowed).
FolderPathProblem CheckNewFolderPath(std::string_view path);

// The problem of one folder name (no backslashes in it).
FolderPathProblem CheckFolderName(std::string_view name);

// Creates a folder and every missing folder on its way ("C:\A\B" creates A, then B). 0 when the
// folder exists afterwards (also when it existed before); else the error of the step that failed
// (183 when a file is in the way).
uint32_t CreateFolderPath(os::FileSystem& files, std::string_view folder);

}  // namespace ui
