#include "ui/settings/source_folders.h"

#include "os/errors.h"
#include "os/text.h"

namespace ui {

namespace {

// The text two names of one folder share: upper case, "/" as "\", no trailing backslash.
std::string FolderKey(std::string_view folder) {
    std::string key = os::Upcase(folder);
    for (char& c : key) {
        if (c == '/') {
            c = '\\';
        }
    }
    while (!key.empty() && key.back() == '\\') {
        key.pop_back();
    }
    return key;
}

bool KeyCovers(const std::string& covering, const std::string& folder) {
    if (covering.empty()) {
        return false;
    }
    if (folder == covering) {
        return true;
    }
    return folder.size() > covering.size() && folder.compare(0, covering.size(), covering) == 0 &&
           folder[covering.size()] == '\\';
}

bool IsFolder(os::FileSystem& files, const std::string& path) {
    uint32_t attributes = 0;
    return files.GetAttributes(path, attributes) == os::kErrorSuccess &&
           attributes != os::kInvalidAttributes && (attributes & os::kAttributeDirectory) != 0;
}

// Where the folders of a path start: "C:" for "C:\a\b", "\\server\share" for a share, with the
// length of text it takes; 0 when the path has neither.
size_t RootLength(const std::string& path) {
    auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 2 && isLetter(path[0]) && path[1] == ':') {
        return 2;
    }
    if (path.rfind("\\\\?\\", 0) == 0 && path.size() >= 6 && isLetter(path[4]) && path[5] == ':') {
        return 6;
    }
    if (path.rfind("\\\\", 0) == 0) {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) {
            return 0;
        }
        const size_t share = path.find('\\', server + 1);
        if (share == server + 1) {
            return 0;
        }
        return share == std::string::npos ? path.size() : share;
    }
    return 0;
}

}  // namespace

bool FolderCovers(std::string_view covering, std::string_view folder) {
    return KeyCovers(FolderKey(covering), FolderKey(folder));
}

std::vector<std::string> CleanSourceList(const std::vector<std::string>& folders) {
    std::vector<std::string> keys;
    keys.reserve(folders.size());
    for (const std::string& folder : folders) {
        keys.push_back(FolderKey(folder));
    }
    std::vector<std::string> kept;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (keys[i].empty()) {
            continue;
        }
        bool drop = false;
        for (size_t j = 0; j < folders.size() && !drop; ++j) {
            if (j == i || keys[j].empty()) {
                continue;
            }
            // Inside another folder of the list, or the same folder given earlier.
            drop = (keys[j] != keys[i] && KeyCovers(keys[j], keys[i])) ||
                   (keys[j] == keys[i] && j < i);
        }
        if (!drop) {
            kept.push_back(folders[i]);
        }
    }
    return kept;
}

std::vector<std::string> FoldersNotCoveredBy(const std::vector<std::string>& chosen,
                                             const std::vector<std::string>& before) {
    std::vector<std::string> beforeKeys;
    for (const std::string& folder : before) {
        beforeKeys.push_back(FolderKey(folder));
    }
    std::vector<std::string> added;
    for (const std::string& folder : chosen) {
        const std::string key = FolderKey(folder);
        bool covered = false;
        for (const std::string& earlier : beforeKeys) {
            covered = covered || KeyCovers(earlier, key);
        }
        if (!covered && !key.empty()) {
            added.push_back(folder);
        }
    }
    return added;
}

std::vector<std::string> MissingFolders(os::FileSystem& files,
                                        const std::vector<std::string>& folders) {
    std::vector<std::string> missing;
    for (const std::string& folder : folders) {
        if (!IsFolder(files, folder)) {
            missing.push_back(folder);
        }
    }
    return missing;
}

uint32_t CreateFolderWithParents(os::FileSystem& files, const std::string& folder) {
    const size_t rootLength = RootLength(folder);
    if (rootLength == 0) {
        return os::kErrorInvalidName;
    }
    std::string current = folder.substr(0, rootLength);
    bool named = false;
    size_t position = rootLength;
    while (position < folder.size()) {
        const size_t end = folder.find_first_of("\\/", position);
        const std::string name =
            folder.substr(position, end == std::string::npos ? std::string::npos : end - position);
        position = end == std::string::npos ? folder.size() : end + 1;
        if (name.empty()) {
            continue;
        }
        if (name == "." || name == "..") {
            return os::kErrorInvalidName;
        }
        current += "\\" + name;
        named = true;
        uint32_t attributes = 0;
        if (files.GetAttributes(current, attributes) == os::kErrorSuccess) {
            if ((attributes & os::kAttributeDirectory) == 0) {
                return os::kErrorDirectory;
            }
            continue;
        }
        const uint32_t error = files.CreateDirectory(current);
        if (error == os::kErrorAlreadyExists) {
            // Made meanwhile by someone else, or a file of that name.
            if (!IsFolder(files, current)) {
                return os::kErrorDirectory;
            }
        } else if (error != os::kErrorSuccess) {
            return error;
        }
    }
    // A drive root alone ("C:\") has nothing to create, but it must be there.
    return IsFolder(files, named ? current : current + "\\") ? os::kErrorSuccess
                                                             : os::kErrorPathNotFound;
}

}  // namespace ui
