#pragma once
// The file-system port over the wide Win32 API. Every path goes through ToExtendedPath
// (win32_path.h), so long paths and every Unicode name work.

#include "os/file_system.h"

namespace os::win32 {

class Win32FileSystem final : public FileSystem {
  public:
    [[nodiscard]] uint32_t FindFirst(const std::string& pattern,
                                     std::unique_ptr<DirectorySearch>& search,
                                     FileInfo& first) override;
    [[nodiscard]] uint32_t GetFileInfo(const std::string& path, FileInfo& info) override;
    [[nodiscard]] uint32_t GetAttributes(const std::string& path, uint32_t& attributes) override;
    [[nodiscard]] uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
    [[nodiscard]] uint32_t Open(const std::string& path, const OpenRequest& request,
                                std::unique_ptr<File>& file) override;
    [[nodiscard]] uint32_t DeleteFile(const std::string& path) override;
    [[nodiscard]] uint32_t MoveFile(const std::string& from, const std::string& to,
                                    bool replaceExisting) override;
    [[nodiscard]] uint32_t CreateDirectory(const std::string& path) override;
    [[nodiscard]] uint32_t RemoveDirectory(const std::string& path) override;
    [[nodiscard]] uint32_t GetVolumeSpace(const std::string& path, VolumeSpace& space) override;
    [[nodiscard]] uint32_t GetVolumeInfo(const std::string& root, VolumeInfo& info) override;
    uint32_t LogicalDrives() override;
    DriveType GetDriveType(const std::string& root) override;
    [[nodiscard]] uint32_t OpenChangeNotification(
        const std::string& folder, bool watchSubtree, uint32_t filter,
        std::unique_ptr<ChangeNotification>& notification) override;
};

}  // namespace os::win32
