#pragma once
// The file-system port: files, folders, searches, volumes and change notifications, with the
// meaning of the Win32 calls they stand for. Paths are Windows paths in UTF-8 ("C:\Data\a.doc",
// "\\server\share\x"); results are Win32 error codes (os/errors.h), 0 for success.

#include <cstdint>
#include <memory>
#include <string>

#include "os/file_time.h"
#include "os/wait.h"

namespace os {

// File attribute bits (FILE_ATTRIBUTE_*).
inline constexpr uint32_t kAttributeReadOnly = 0x1;
inline constexpr uint32_t kAttributeHidden = 0x2;
inline constexpr uint32_t kAttributeSystem = 0x4;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeArchive = 0x20;
inline constexpr uint32_t kAttributeNormal = 0x80;
inline constexpr uint32_t kAttributeTemporary = 0x100;
inline constexpr uint32_t kAttributeReparsePoint = 0x400;
inline constexpr uint32_t kAttributeCompressed = 0x800;
inline constexpr uint32_t kAttributeOffline = 0x1000;
inline constexpr uint32_t kAttributeNotContentIndexed = 0x2000;
inline constexpr uint32_t kAttributeEncrypted = 0x4000;  // EFS: reads as plain text to its owner
inline constexpr uint32_t kAttributeRecallOnOpen = 0x40000;
inline constexpr uint32_t kAttributePinned = 0x80000;
inline constexpr uint32_t kAttributeUnpinned = 0x100000;
// A cloud placeholder: reading its data downloads it first.
inline constexpr uint32_t kAttributeRecallOnDataAccess = 0x400000;
inline constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Desired access, share modes and flags of CreateFile.
inline constexpr uint32_t kAccessRead = 0x80000000;    // GENERIC_READ
inline constexpr uint32_t kAccessWrite = 0x40000000;   // GENERIC_WRITE
inline constexpr uint32_t kAccessDelete = 0x00010000;  // DELETE
// Attributes and times only: these rights take no part in share modes (another program's
// exclusive open does not keep them out) and do not need a writable file.
inline constexpr uint32_t kAccessReadAttributes = 0x80;    // FILE_READ_ATTRIBUTES
inline constexpr uint32_t kAccessWriteAttributes = 0x100;  // FILE_WRITE_ATTRIBUTES
inline constexpr uint32_t kShareNone = 0;
inline constexpr uint32_t kShareRead = 0x1;
inline constexpr uint32_t kShareWrite = 0x2;
inline constexpr uint32_t kShareDelete = 0x4;
inline constexpr uint32_t kFlagWriteThrough = 0x80000000;
inline constexpr uint32_t kFlagNoBuffering = 0x20000000;
inline constexpr uint32_t kFlagSequentialScan = 0x08000000;
// The file's data stays where it is kept (a cloud or offline store): opening it brings nothing
// back to this computer.
inline constexpr uint32_t kFlagOpenNoRecall = 0x00100000;

enum class Disposition : uint32_t {
    CreateNew = 1,         // fails with 80 when the file exists
    CreateAlways = 2,      // creates or truncates; attributes replaced by the given ones + archive
    OpenExisting = 3,      // fails with 2 when the file does not exist
    OpenAlways = 4,        // opens or creates
    TruncateExisting = 5,  // fails with 2 when missing; needs write access
};

// Filter bits of change notifications (FILE_NOTIFY_CHANGE_*).
inline constexpr uint32_t kNotifyFileName = 0x1;
inline constexpr uint32_t kNotifyDirectoryName = 0x2;
inline constexpr uint32_t kNotifyAttributes = 0x4;
inline constexpr uint32_t kNotifySize = 0x8;
inline constexpr uint32_t kNotifyLastWrite = 0x10;
inline constexpr uint32_t kNotifyLastAccess = 0x20;
inline constexpr uint32_t kNotifyCreation = 0x40;
inline constexpr uint32_t kNotifySecurity = 0x100;

// GetDriveType results.
enum class DriveType : uint32_t {
    Unknown = 0,
    NoRootDirectory = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

struct FileTimes {
    FileTime creation = 0;
    FileTime lastAccess = 0;
    FileTime lastWrite = 0;
    friend bool operator==(const FileTimes&, const FileTimes&) = default;
};

// One entry of a folder, as a search reports it or as a lookup by name finds it.
struct FileInfo {
    std::string name;  // the entry's own name, without its folder
    uint32_t attributes = 0;
    FileTimes times;
    uint64_t size = 0;
    bool IsDirectory() const { return (attributes & kAttributeDirectory) != 0; }
};

struct OpenRequest {
    uint32_t access = kAccessRead;
    uint32_t share = kShareRead;
    Disposition disposition = Disposition::OpenExisting;
    uint32_t attributes = 0;  // for files that the call creates
    uint32_t flags = 0;       // kFlag... hints
};

// Figures of the volume that holds a path (GetDiskFreeSpace / GetDiskFreeSpaceEx).
struct VolumeSpace {
    uint32_t sectorsPerCluster = 0;
    uint32_t bytesPerSector = 0;
    uint64_t freeClusters = 0;
    uint64_t totalClusters = 0;
    uint64_t freeBytes = 0;  // available to the caller
    uint64_t totalBytes = 0;
};

struct VolumeInfo {
    std::string label;
    uint32_t serialNumber = 0;
    std::string fileSystem;
    uint32_t maximumComponentLength = 255;  // the longest name, in UTF-16 units
    bool readOnly = false;                  // the medium is write-protected
};

// An open file; the destructor closes it.
class File {
  public:
    virtual ~File() = default;
    // Reads at the current position; bytesRead is 0 at the end of the file.
    [[nodiscard]] virtual uint32_t Read(void* buffer, uint32_t size, uint32_t& bytesRead) = 0;
    // Writes at the current position; fails with 112 when the volume is full.
    [[nodiscard]] virtual uint32_t Write(const void* data, uint32_t size,
                                         uint32_t& bytesWritten) = 0;
    [[nodiscard]] virtual uint32_t GetTimes(FileTimes& times) = 0;
    // Sets the times through the handle; a zero member leaves that time as it is.
    [[nodiscard]] virtual uint32_t SetTimes(const FileTimes& times) = 0;
    [[nodiscard]] virtual uint32_t GetSize(uint64_t& size) = 0;
    // Attributes, times and size of the open file in one call (the name is left empty). Needs read
    // access or kAccessReadAttributes.
    [[nodiscard]] virtual uint32_t GetInfo(FileInfo& info) = 0;
    // Sets the times and the attributes through the handle in one call: a zero time leaves that
    // time as it is, attributes 0 leave the attributes, kAttributeNormal alone clears every bit
    // that can be cleared. Needs write access or kAccessWriteAttributes; works on a file that is
    // read-only by its attributes, as the access was granted when it was opened.
    [[nodiscard]] virtual uint32_t SetTimesAndAttributes(const FileTimes& times,
                                                         uint32_t attributes) = 0;
    // Gives the open file a new full path on the same volume; the handle stays open on it. Needs
    // kAccessDelete. 183 when the path is taken and replaceExisting is false; with it an existing
    // file is replaced in one step (5 for a folder, a read-only file or one open elsewhere); 17
    // for another volume; 3 when the new folder does not exist.
    [[nodiscard]] virtual uint32_t Rename(const std::string& newPath, bool replaceExisting) = 0;
    // FlushFileBuffers: the file's data and its entry are on the medium when it returns, and on
    // a journalled volume every change of names made there before (5 without write access).
    [[nodiscard]] virtual uint32_t Flush() = 0;
    // Closes now and reports the result; later calls fail with 6.
    [[nodiscard]] virtual uint32_t Close() = 0;
};

// A running folder search (FindFirstFile/FindNextFile); the destructor ends it.
class DirectorySearch {
  public:
    virtual ~DirectorySearch() = default;
    // The next entry; 18 when there are no more.
    [[nodiscard]] virtual uint32_t Next(FileInfo& entry) = 0;
};

// A change notification handle (FindFirstChangeNotification); waitable through the clock port.
// It is signalled when a change of the filter happens in its folder (and below with subtree); it
// stays signalled until Rearm, and a change that happens in between signals it again at once.
class ChangeNotification : public Waitable {
  public:
    [[nodiscard]] virtual uint32_t Rearm() = 0;  // FindNextChangeNotification
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Starts a search; pattern is a folder path plus a last component with the Windows wildcards
    // (* and ?, where "*.*" also matches names without a dot). Returns 2 when the folder exists
    // but nothing matches and 3 when the folder does not exist; on success first holds the first
    // entry. Searches may report "." and ".." in folders other than a drive root.
    [[nodiscard]] virtual uint32_t FindFirst(const std::string& pattern,
                                             std::unique_ptr<DirectorySearch>& search,
                                             FileInfo& first) = 0;

    // Looks one file or folder up by its full name; 2 or 3 when it does not exist.
    [[nodiscard]] virtual uint32_t GetFileInfo(const std::string& path, FileInfo& info) = 0;
    // GetFileAttributes; a file without attribute bits reports kAttributeNormal.
    [[nodiscard]] virtual uint32_t GetAttributes(const std::string& path, uint32_t& attributes) = 0;
    // SetFileAttributes; kAttributeNormal alone clears every bit that can be cleared.
    [[nodiscard]] virtual uint32_t SetAttributes(const std::string& path, uint32_t attributes) = 0;

    // CreateFile: 32 on a share-mode conflict, 5 for a folder, a read-only file opened for
    // writing, or a hidden or system file replaced without those bits in the request.
    [[nodiscard]] virtual uint32_t Open(const std::string& path, const OpenRequest& request,
                                        std::unique_ptr<File>& file) = 0;
    // DeleteFile: 2 when missing, 5 for a read-only file or a folder, 32 while it is open
    // without delete sharing.
    [[nodiscard]] virtual uint32_t DeleteFile(const std::string& path) = 0;
    // MoveFileEx within one volume; with replaceExisting an existing file is replaced in one
    // step (a read-only target fails with 5), without it an existing target fails with 183.
    [[nodiscard]] virtual uint32_t MoveFile(const std::string& from, const std::string& to,
                                            bool replaceExisting) = 0;
    // CreateDirectory: 183 when the name exists (file or folder), 3 when its parent is missing.
    [[nodiscard]] virtual uint32_t CreateDirectory(const std::string& path) = 0;
    // RemoveDirectory: 145 when the folder is not empty.
    [[nodiscard]] virtual uint32_t RemoveDirectory(const std::string& path) = 0;

    // Figures of the volume holding path ("E:", "E:\", "E:\x\y" and "\\server\share\x" all work).
    [[nodiscard]] virtual uint32_t GetVolumeSpace(const std::string& path, VolumeSpace& space) = 0;
    // Label, serial number and file system of the volume whose root is given ("E:\").
    [[nodiscard]] virtual uint32_t GetVolumeInfo(const std::string& root, VolumeInfo& info) = 0;
    // GetLogicalDrives: bit 0 for A: ... bit 25 for Z:.
    virtual uint32_t LogicalDrives() = 0;
    virtual DriveType GetDriveType(const std::string& root) = 0;

    // Opens a change notification on a folder (trailing backslash allowed).
    [[nodiscard]] virtual uint32_t OpenChangeNotification(
        const std::string& folder, bool watchSubtree, uint32_t filter,
        std::unique_ptr<ChangeNotification>& notification) = 0;
};

}  // namespace os
