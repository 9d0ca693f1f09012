#include "ui/common/folder_path_rules.h"

#include <algorithm>
#include <array>

#include "os/errors.h"
#include "os/text.h"

namespace ui {

namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsReservedName(std::string_view name) {
    // A device name stays a device name with an extension ("nul.txt") or trailing blanks.
    const size_t dot = name.find('.');
    std::string base = os::Upcase(name.substr(0, dot));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) {
        return true;
    }
    if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT"))) {
        return base[3] >= '1' && base[3] <= '9';
    }
    return false;
}

}  // namespace

std::string FolderWithoutTrailingBackslash(std::string_view path) {
    std::string folder(path);
    while (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    if (folder.size() == 2 && folder[1] == ':' && IsDriveLetter(folder[0])) {
        folder += '\\';
    }
    return folder;
}

bool IsSameFolderElsewhere(const std::vector<std::string>& listed, std::string_view path) {
    const std::string wanted = FolderWithoutTrailingBackslash(path);
    if (wanted.size() < 2) {
        return false;
    }
    for (const std::string& entry : listed) {
        const std::string item = FolderWithoutTrailingBackslash(entry);
        if (item.size() < 2 || os::EqualsIgnoreCase(item.substr(0, 1), wanted.substr(0, 1))) {
            continue;
        }
        if (os::EqualsIgnoreCase(std::string_view(item).substr(1),
                                 std::string_view(wanted).substr(1))) {
            return true;
        }
    }
    return false;
}

bool ListsFolder(const std::vector<std::string>& listed, std::string_view path) {
    const std::string wanted = FolderWithoutTrailingBackslash(path);
    return std::any_of(listed.begin(), listed.end(), [&wanted](const std::string& entry) {
        return os::EqualsIgnoreCase(FolderWithoutTrailingBackslash(entry), wanted);
    });
}

FolderPathProblem CheckFolderName(std::string_view name) {
    if (name.empty()) {
        return FolderPathProblem::DoubleBackslash;
    }
    for (const char c : name) {
        const auto unit = static_cast<unsigned char>(c);
        if (unit < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '|' ||
            c == '?' || c == '*') {
            return FolderPathProblem::ForbiddenCharacter;
        }
    }
    if (name.back() == '.' || name.back() == ' ') {
        return FolderPathProblem::TrailingDotOrSpace;
    }
    if (IsReservedName(name)) {
        return FolderPathProblem::ReservedName;
    }
    return FolderPathProblem::None;
}

FolderPathProblem CheckNewFolderPath(std::string_view path) {
    if (path.empty()) {
        return FolderPathProblem::Empty;
    }
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
        return FolderPathProblem::NotOnADrive;
    }
    if (path.find("\\\\") != std::string_view::npos) {
        return FolderPathProblem::DoubleBackslash;
    }
    std::string_view rest = path.substr(3);
    if (!rest.empty() && rest.back() == '\\') {
        rest.remove_suffix(1);
    }
    if (rest.empty()) {
        return FolderPathProblem::None;  // the drive root itself, which exists or not
    }
    size_t start = 0;
    for (;;) {
        const size_t end = rest.find('\\', start);
        const FolderPathProblem problem = CheckFolderName(rest.substr(start, end - start));
        if (problem != FolderPathProblem::None) {
            return problem;
        }
        if (end == std::string_view::npos) {
            return FolderPathProblem::None;
        }
        start = end + 1;
    }
}

uint32_t CreateFolderPath(os::FileSystem& files, std::string_view folder) {
    const std::string path = FolderWithoutTrailingBackslash(folder);
    // Each folder from the first below the root to the last; the root itself is not created.
    size_t end = path.find('\\');
    if (end == std::string::npos) {
        return os::kErrorBadPathname;
    }
    for (;;) {
        end = path.find('\\', end + 1);
        const std::string step = path.substr(0, end);
        if (step.size() > 3) {
            const uint32_t error = files.CreateDirectory(step);
            if (error == os::kErrorAlreadyExists) {
                uint32_t attributes = 0;
                if (files.GetAttributes(step, attributes) != os::kErrorSuccess ||
                    (attributes & os::kAttributeDirectory) == 0) {
                    return os::kErrorAlreadyExists;  // a file of that name is in the way
                }
            } else if (error != os::kErrorSuccess) {
                return error;
            }
        }
        if (end == std::string::npos) {
            break;
        }
    }
    uint32_t attributes = 0;
    if (files.GetAttributes(path, attributes) != os::kErrorSuccess) {
        return os::kErrorPathNotFound;
    }
    return (attributes & os::kAttributeDirectory) != 0 ? os::kErrorSuccess
                                                       : os::kErrorAlreadyExists;
}

}  // namespace ui
