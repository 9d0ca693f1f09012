#pragma once
// The storage requests of the Win32 drive backend, one function each, on the volume device of a
// drive letter (\\.\F:). Results are Win32 error codes, 0 for success, captured right after the
// call that failed.

#include <cstdint>
#include <optional>

#include "os/win32/unique_handle.h"
#include "os/win32/windows_api.h"

#include <winioctl.h>

namespace drvKit::win32 {

// Keeps Windows from showing its "There is no disk in the drive" box while the backend looks at
// drives without media, for the lifetime of the object on this thread.
class QuietDriveErrors {
  public:
    QuietDriveErrors();
    ~QuietDriveErrors();
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

  private:
    DWORD previous_ = 0;
    bool changed_ = false;
};

// Opens \\.\F: with the access given (0 is enough for queries of the device); 0 or the error.
uint32_t OpenVolumeDevice(char letter, DWORD access, os::win32::FileHandle& device);

struct DeviceDescription {
    std::optional<STORAGE_BUS_TYPE> busType;  // empty when the device does not say
    bool floppy = false;                      // a floppy-disk drive
};
DeviceDescription DescribeDevice(char letter);

// IOCTL_STORAGE_CHECK_VERIFY2 (no access needed) or IOCTL_STORAGE_CHECK_VERIFY: 0 when a medium
// is in and ready, 21 without one, 1110 when it changed since the last look, 1 or 50 when the
// device cannot tell.
uint32_t CheckVerify(HANDLE device);

// IOCTL_STORAGE_MEDIA_REMOVAL, or IOCTL_STORAGE_EJECTION_CONTROL when exclusive; needs a device
// opened for reading. The lock lasts until undone on the same handle or the handle is closed.
uint32_t PreventRemoval(HANDLE device, bool prevent, bool exclusive);

uint32_t LockVolume(HANDLE device);    // FSCTL_LOCK_VOLUME: no other handle to the volume open
uint32_t UnlockVolume(HANDLE device);  // FSCTL_UNLOCK_VOLUME
uint32_t DismountVolume(HANDLE device);
uint32_t EjectMedia(HANDLE device);  // IOCTL_STORAGE_EJECT_MEDIA

// IOCTL_DISK_IS_WRITABLE: 0 when writable, 19 when the medium is write-protected, other codes when
// the device cannot tell.
uint32_t CheckWritable(HANDLE device);

// IOCTL_DISK_GET_LENGTH_INFO: the length of the medium in bytes, empty when unknown.
std::optional<uint64_t> MediumLength(HANDLE device);

}  // namespace drvKit::win32
