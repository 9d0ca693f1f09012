#pragma once
// What the copier needs of the engine that owns it: the swap of a full disk and the prompts about
// single files. The engine decides whether a prompt shows (the prompt guard and its "show" setting)
// and what follows; the copier only reports.

#include <cstdint>
#include <string>

#include "os/file_time.h"

namespace engine {

class CopierOwner {
  public:
    virtual ~CopierOwner() = default;

    // The next file does not fit on the disk in the drive. firstDate and lastDate are the period
    // the full disk covers (the copier's disk start time and newest file copied; zero means now);
    // needed is the size of the file that did not fit, bytesWritten what this pass has written.
    // Returns 0 when a disk with room is in the drive (copy the file again), 995 when the user
    // gave up, another error otherwise; and 1237 (ERROR_RETRY) at once, without a new disk, while
    // another prompt is on screen (the same disk is still in the drive).
    virtual uint32_t DiskFullHandler(const os::FileTime& firstDate, const os::FileTime& lastDate,
                                     uint64_t needed, const std::string& destination,
                                     uint64_t bytesWritten) = 0;

    // The file is larger than the whole disk and is skipped (dialog 162).
    virtual void FileTooLarge(const std::string& path) = 0;
    // The file could not be copied for another reason than the ones retried (dialog 163).
    virtual void FileError(const std::string& path, uint32_t code) = 0;
    // The first revision name of a file is too long; only one revision is kept (dialog 164).
    virtual void LongFileName(const std::string& revisionName) = 0;
};

}  // namespace engine
