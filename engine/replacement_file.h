#pragma once
// Writing a file so that its real name never holds a torn one: the new version is written under a
// temporary name in the same folder and moved over the real one, in one step, only when it is
// complete. Every writer of the program goes through this: the copier for backups and
// revisions, and the retry list for its file.
//
// Temporary files are named "~Ferrolin2-" + 8 hexadecimal digits + ".partial". They are created
// with create-new (an existing file of that name is never touched), and their names hold no
// ".(", so a revision search never counts one as a revision.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "os/file_system.h"

namespace engine {

// True for the name of one of the program's temporary files.
bool IsTemporaryName(std::string_view name);
// The search pattern that finds the temporary files of a folder.
std::string TemporaryFilesIn(const std::string& folder);

// A new version of a file being written. The destructor deletes the temporary file unless it was
// moved into place.
class ReplacementFile {
  public:
    // counter numbers the temporary names of one writer; it is advanced for each name tried.
    ReplacementFile(os::FileSystem& files, uint32_t& counter) : files_(files), counter_(counter) {}
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file in folder with these attributes, for writing, shared with no
    // one; another name is tried while one exists. 0 or the system error.
    [[nodiscard]] uint32_t Create(const std::string& folder, uint32_t attributes);
    // Writes all of size bytes; written says how many reached the file, also on failure. A write
    // that reports success without taking a byte counts as a full disk (112).
    [[nodiscard]] uint32_t WriteAll(const void* data, uint32_t size, uint32_t& written);
    // The open temporary file (times and flushing go through it).
    os::File& file() { return *file_; }
    // Closes the temporary file: a write the system held back may fail only now.
    [[nodiscard]] uint32_t Close();
    // Moves the closed, complete file over target in one step (replacing what is there); from
    // then on it is no longer the writer's to delete.
    [[nodiscard]] uint32_t MoveOver(const std::string& target);
    // Moves the complete file, still open, to target in one step through its handle: 183 when
    // target exists and replaceExisting is false, 5 when it may not be replaced (read-only, a
    // folder, open elsewhere). From then on it is no longer the writer's to delete; it is closed
    // with Close.
    [[nodiscard]] uint32_t RenameOpen(const std::string& target, bool replaceExisting);

  private:
    os::FileSystem& files_;
    uint32_t& counter_;
    std::string path_;  // empty when there is nothing to delete
    std::unique_ptr<os::File> file_;
};

}  // namespace engine
