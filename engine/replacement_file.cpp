#include "engine/replacement_file.h"

#include <cstdio>

#include "os/errors.h"
#include "os/text.h"

namespace engine {

namespace {

constexpr char kTemporaryPrefix[] = "~Ferrolin2-";
constexpr char kTemporarySuffix[] = ".partial";
constexpr size_t kTemporaryDigits = 8;
constexpr int kNamesTried = 64;

}  // namespace

bool IsTemporaryName(std::string_view name) {
    constexpr size_t prefix = sizeof kTemporaryPrefix - 1;
    constexpr size_t suffix = sizeof kTemporarySuffix - 1;
    if (name.size() != prefix + kTemporaryDigits + suffix ||
        !os::EqualsIgnoreCase(name.substr(0, prefix), kTemporaryPrefix) ||
        !os::EqualsIgnoreCase(name.substr(prefix + kTemporaryDigits), kTemporarySuffix)) {
        return false;
    }
    for (char c : name.substr(prefix, kTemporaryDigits)) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return false;
        }
    }
    return true;
}

std::string TemporaryFilesIn(const std::string& folder) {
    return folder + "\\" + kTemporaryPrefix + "*" + kTemporarySuffix;
}

ReplacementFile::~ReplacementFile() {
    file_.reset();  // closed before it can be deleted
    if (!path_.empty()) {
        // A failure leaves a temporary file that the next writer to the folder removes.
        static_cast<void>(files_.DeleteFile(path_));
    }
}

uint32_t ReplacementFile::Create(const std::string& folder, uint32_t attributes) {
    uint32_t error = os::kErrorFileExists;
    for (int attempt = 0; attempt < kNamesTried &&
                          (error == os::kErrorFileExists || error == os::kErrorAlreadyExists);
         ++attempt) {
        char digits[kTemporaryDigits + 1];
        std::snprintf(digits, sizeof digits, "%08x", ++counter_);
        const std::string path = folder + "\\" + kTemporaryPrefix + digits + kTemporarySuffix;
        os::OpenRequest request;
        request.access = os::kAccessWrite | os::kAccessDelete;  // delete: renamed through it
        request.share = os::kShareNone;
        request.disposition = os::Disposition::CreateNew;
        request.attributes = attributes;
        error = files_.Open(path, request, file_);
        if (error == os::kErrorSuccess) {
            path_ = path;
        }
    }
    return error;
}

uint32_t ReplacementFile::WriteAll(const void* data, uint32_t size, uint32_t& written) {
    const auto* bytes = static_cast<const std::byte*>(data);
    written = 0;
    while (written < size) {
        uint32_t done = 0;
        const uint32_t error = file_->Write(bytes + written, size - written, done);
        written += done;
        if (error != os::kErrorSuccess) {
            return error;
        }
        if (done == 0) {
            return os::kErrorDiskFull;  // it would take nothing, for ever
        }
    }
    return os::kErrorSuccess;
}

uint32_t ReplacementFile::Close() {
    return file_->Close();
}

uint32_t ReplacementFile::MoveOver(const std::string& target) {
    const uint32_t error = files_.MoveFile(path_, target, true);
    if (error == os::kErrorSuccess) {
        path_.clear();
    }
    return error;
}

uint32_t ReplacementFile::RenameOpen(const std::string& target, bool replaceExisting) {
    const uint32_t error = file_->Rename(target, replaceExisting);
    if (error == os::kErrorSuccess) {
        path_.clear();
    }
    return error;
}

}  // namespace engine
