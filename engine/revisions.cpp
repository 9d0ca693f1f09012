#include "engine/revisions.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/file_copier.h"
#include "os/errors.h"
#include "os/text.h"
#include "settings/setting_names.h"

namespace engine {

namespace {

// The longest file name a volume takes, in UTF-16 units.
constexpr size_t kLongestFileName = 255;
// Revision numbers above this are not ones the copier wrote (and would overflow the next one).
constexpr uint64_t kLargestNumber = 1'000'000'000'000ULL;

}  // namespace

RevisionNames::RevisionNames(const std::string& revisionBase) {
    const size_t slash = revisionBase.rfind('\\');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    folder_ = revisionBase.substr(0, nameStart);
    const std::string name = revisionBase.substr(nameStart);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        stem_ = name;
    } else {
        stem_ = name.substr(0, dot);
        extension_ = name.substr(dot);
    }
}

std::string RevisionNames::SearchPattern() const {
    return folder_ + stem_ + ".(*)" + extension_;
}

std::string RevisionNames::PathFor(uint64_t n) const {
    return folder_ + stem_ + ".(" + std::to_string(n) + ")" + extension_;
}

std::optional<uint64_t> RevisionNames::NumberOf(std::string_view fileName) const {
    const size_t fixed = stem_.size() + 3 + extension_.size();  // ".(" and ")"
    if (fileName.size() <= fixed) {
        return std::nullopt;
    }
    const std::string_view stem = fileName.substr(0, stem_.size());
    const std::string_view extension = fileName.substr(fileName.size() - extension_.size());
    const std::string_view number = fileName.substr(stem_.size() + 2, fileName.size() - fixed);
    if (!os::EqualsIgnoreCase(stem, stem_) || !os::EqualsIgnoreCase(extension, extension_) ||
        fileName.substr(stem_.size(), 2) != ".(" ||
        fileName[fileName.size() - extension_.size() - 1] != ')') {
        return std::nullopt;
    }
    if (number.empty() || number.front() == '0' || number.size() > 13) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : number) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > kLargestNumber) {
        return std::nullopt;
    }
    return value;
}

bool RevisionNames::NameTooLong(const std::string& path) {
    const size_t slash = path.rfind('\\');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    return os::Utf16Length(name) > kLongestFileName;
}

// Numbers are never reused: the next one is one above the largest present. Once the new one is
// written, with a limit L the numbers below largest + 2 - L go, so that L revisions remain. Only
// files named exactly like this base's revisions count; another file's revisions that happen to
// match the search (notes.(1).txt's beside notes.txt's) are left alone.
uint32_t FileCopier::MakeRevision(const std::string& currentCopy, const std::string& revisionBase) {
    os::FileInfo current;
    const uint32_t lookup = files_.GetFileInfo(currentCopy, current);
    if (lookup == os::kErrorFileNotFound || lookup == os::kErrorPathNotFound ||
        (lookup == os::kErrorSuccess && current.IsDirectory())) {
        return os::kErrorFileNotFound;  // nothing to keep; the revisions stay as they are
    }
    if (lookup != os::kErrorSuccess) {
        return lookup;  // the copy may be there: it is not replaced without its revision
    }
    const RevisionNames names(revisionBase);
    if (RevisionNames::NameTooLong(names.PathFor(1))) {
        // No numbered name fits: the base itself keeps the one latest revision.
        owner_.LongFileName(names.PathFor(1));
        return CopyFileData(currentCopy, revisionBase, false);
    }
    std::vector<uint64_t> found;
    {
        std::unique_ptr<os::DirectorySearch> search;
        os::FileInfo entry;
        uint32_t error = files_.FindFirst(names.SearchPattern(), search, entry);
        if (error != os::kErrorSuccess && error != os::kErrorFileNotFound &&
            error != os::kErrorPathNotFound) {
            return error;  // unknown numbers: revision 1 may exist and must not be overwritten
        }
        while (error == os::kErrorSuccess && !Cancelled()) {
            if (!entry.IsDirectory()) {
                if (const auto n = names.NumberOf(entry.name)) {
                    found.push_back(*n);
                }
            }
            error = search->Next(entry);
        }
    }
    if (found.empty()) {
        return CopyFileData(currentCopy, names.PathFor(1), false);
    }
    std::sort(found.begin(), found.end());
    const uint64_t largest = found.back();
    // A copy tried again (after a full disk) was kept already: the newest revision has its times
    // and size. Keeping it twice would push a real older version out.
    os::FileInfo newest;
    if (files_.GetFileInfo(names.PathFor(largest), newest) == os::kErrorSuccess &&
        newest.times.lastWrite == current.times.lastWrite && newest.size == current.size) {
        return os::kErrorSuccess;
    }
    std::string name = names.PathFor(largest + 1);
    if (RevisionNames::NameTooLong(name)) {
        owner_.LongFileName(name);  // the numbers outgrew the name
        name = revisionBase;
    }
    // The new revision first: should it fail, the older ones are all still there.
    if (const uint32_t error = CopyFileData(currentCopy, name, false)) {
        return error;
    }
    const uint32_t limit = revisionLimit_;
    if (limit != settings::kUnlimitedRevisions) {
        const uint64_t keepFrom = largest + 2 > limit ? largest + 2 - limit : 0;
        for (uint64_t n : found) {
            if (n >= keepFrom || Cancelled()) {
                break;
            }
            const std::string old = names.PathFor(n);
            // A read-only one goes too; one that is locked or gone is not an error.
            static_cast<void>(files_.SetAttributes(old, os::kAttributeNormal));
            static_cast<void>(files_.DeleteFile(old));
        }
    }
    return os::kErrorSuccess;
}

}  // namespace engine
