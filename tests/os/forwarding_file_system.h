#pragma once
// A file system for tests that hands every call to another one; a test overrides the calls it
// wants to slow down, hold or change.

#include <memory>
#include <string>

#include "os/file_system.h"

namespace test {

class ForwardingFileSystem : public os::FileSystem {
  public:
    explicit ForwardingFileSystem(os::FileSystem& target) : target_(target) {}

    uint32_t FindFirst(const std::string& pattern, std::unique_ptr<os::DirectorySearch>& search,
                       os::FileInfo& first) override {
        return target_.FindFirst(pattern, search, first);
    }
    uint32_t GetFileInfo(const std::string& path, os::FileInfo& info) override {
        return target_.GetFileInfo(path, info);
    }
    uint32_t GetAttributes(const std::string& path, uint32_t& attributes) override {
        return target_.GetAttributes(path, attributes);
    }
    uint32_t SetAttributes(const std::string& path, uint32_t attributes) override {
        return target_.SetAttributes(path, attributes);
    }
    uint32_t Open(const std::string& path, const os::OpenRequest& request,
                  std::unique_ptr<os::File>& file) override {
        return target_.Open(path, request, file);
    }
    uint32_t DeleteFile(const std::string& path) override { return target_.DeleteFile(path); }
    uint32_t MoveFile(const std::string& from, const std::string& to,
                      bool replaceExisting) override {
        return target_.MoveFile(from, to, replaceExisting);
    }
    uint32_t CreateDirectory(const std::string& path) override {
        return target_.CreateDirectory(path);
    }
    uint32_t RemoveDirectory(const std::string& path) override {
        return target_.RemoveDirectory(path);
    }
    uint32_t GetVolumeSpace(const std::string& path, os::VolumeSpace& space) override {
        return target_.GetVolumeSpace(path, space);
    }
    uint32_t GetVolumeInfo(const std::string& root, os::VolumeInfo& info) override {
        return target_.GetVolumeInfo(root, info);
    }
    uint32_t LogicalDrives() override { return target_.LogicalDrives(); }
    os::DriveType GetDriveType(const std::string& root) override {
        return target_.GetDriveType(root);
    }
    uint32_t OpenChangeNotification(
        const std::string& folder, bool watchSubtree, uint32_t filter,
        std::unique_ptr<os::ChangeNotification>& notification) override {
        return target_.OpenChangeNotification(folder, watchSubtree, filter, notification);
    }

  protected:
    os::FileSystem& target() { return target_; }

  private:
    os::FileSystem& target_;
};

}  // namespace test
