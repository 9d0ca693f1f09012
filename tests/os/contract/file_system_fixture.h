#pragma once
// What the file-system contract suites share: a test with helpers that write, read and search
// through the port.

#include <memory>
#include <set>
#include <string>

#include "os/errors.h"
#include "tests/os/contract/port_environment.h"

namespace contract {

class FileSystemContract : public ContractTest {
  protected:
    uint32_t Write(const std::string& path, const std::string& contents,
                   os::Disposition disposition = os::Disposition::CreateAlways) {
        std::unique_ptr<os::File> file;
        os::OpenRequest request{os::kAccessWrite, os::kShareNone, disposition, 0, 0};
        if (const uint32_t error = files().Open(path, request, file)) {
            return error;
        }
        uint32_t written = 0;
        if (const uint32_t error =
                file->Write(contents.data(), static_cast<uint32_t>(contents.size()), written)) {
            return error;
        }
        EXPECT_EQ(written, contents.size());
        return file->Close();
    }

    std::string Read(const std::string& path) {
        std::unique_ptr<os::File> file;
        os::OpenRequest request{os::kAccessRead, os::kShareRead, os::Disposition::OpenExisting, 0,
                                0};
        if (files().Open(path, request, file) != os::kErrorSuccess) {
            return "<missing>";
        }
        std::string out;
        char buffer[4096];
        for (;;) {
            uint32_t got = 0;
            EXPECT_EQ(file->Read(buffer, sizeof buffer, got), os::kErrorSuccess);
            if (got == 0) {
                break;
            }
            out.append(buffer, got);
        }
        return out;
    }

    std::unique_ptr<os::File> OpenWith(const std::string& path, uint32_t access, uint32_t share,
                                       uint32_t& error) {
        std::unique_ptr<os::File> file;
        error = files().Open(path, {access, share, os::Disposition::OpenAlways, 0, 0}, file);
        return file;
    }

    std::set<std::string> Search(const std::string& pattern, uint32_t* error = nullptr) {
        std::set<std::string> names;
        std::unique_ptr<os::DirectorySearch> search;
        os::FileInfo entry;
        const uint32_t result = files().FindFirst(pattern, search, entry);
        if (error != nullptr) {
            *error = result;
        }
        if (result != os::kErrorSuccess) {
            return names;
        }
        do {
            if (entry.name != "." && entry.name != "..") {
                names.insert(entry.name);
            }
        } while (search->Next(entry) == os::kErrorSuccess);
        return names;
    }
};

}  // namespace contract
