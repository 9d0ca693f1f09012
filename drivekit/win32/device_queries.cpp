#include "drivekit/win32/device_queries.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace drvKit::win32 {

namespace {

// A request without input or output beyond a fixed buffer; 0 or the error.
uint32_t Control(HANDLE device, DWORD code, void* in = nullptr, DWORD inSize = 0,
                 void* out = nullptr, DWORD outSize = 0) {
    DWORD returned = 0;
    if (!::DeviceIoControl(device, code, in, inSize, out, outSize, &returned, nullptr)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

bool IsFloppyMedia(MEDIA_TYPE type) {
    // Every MEDIA_TYPE up to F3_32M_512 but these three is a floppy format (the later ones are
    // tapes and optical media).
    return type != Unknown && type != RemovableMedia && type != FixedMedia && type <= F3_32M_512;
}

}  // namespace

QuietDriveErrors::QuietDriveErrors() {
    changed_ =
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) != 0;
}

QuietDriveErrors::~QuietDriveErrors() {
    if (changed_) {
        ::SetThreadErrorMode(previous_, nullptr);  // nothing to do should restoring fail
    }
}

uint32_t OpenVolumeDevice(char letter, DWORD access, os::win32::FileHandle& device) {
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(letter), L':', 0};
    device = os::win32::FileHandle(::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 nullptr, OPEN_EXISTING, 0, nullptr));
    return device ? ERROR_SUCCESS : ::GetLastError();
}

DeviceDescription DescribeDevice(char letter) {
    DeviceDescription description;
    const wchar_t name[] = {static_cast<wchar_t>(letter), L':', 0};
    std::array<wchar_t, 512> target{};
    if (::QueryDosDeviceW(name, target.data(), static_cast<DWORD>(target.size())) != 0) {
        description.floppy = std::wstring_view(target.data()).starts_with(L"\\Device\\Floppy");
    }
    os::win32::FileHandle device;
    if (OpenVolumeDevice(letter, 0, device) != ERROR_SUCCESS) {
        return description;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(STORAGE_DEVICE_DESCRIPTOR) std::array<BYTE, 1024> buffer{};
    DWORD returned = 0;
    if (::DeviceIoControl(device.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                          buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr) &&
        returned >= offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE)) {
        description.busType =
            reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data())->BusType;
    }
    DISK_GEOMETRY geometry{};
    if (Control(device.Get(), IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                sizeof geometry) == ERROR_SUCCESS &&
        IsFloppyMedia(geometry.MediaType)) {
        description.floppy = true;
    }
    return description;
}

uint32_t CheckVerify(HANDLE device) {
    const uint32_t result = Control(device, IOCTL_STORAGE_CHECK_VERIFY2);
    if (result != ERROR_INVALID_FUNCTION && result != ERROR_NOT_SUPPORTED) {
        return result;
    }
    return Control(device, IOCTL_STORAGE_CHECK_VERIFY);
}

uint32_t PreventRemoval(HANDLE device, bool prevent, bool exclusive) {
    PREVENT_MEDIA_REMOVAL request{};
    request.PreventMediaRemoval = prevent ? TRUE : FALSE;
    return Control(device, exclusive ? IOCTL_STORAGE_EJECTION_CONTROL : IOCTL_STORAGE_MEDIA_REMOVAL,
                   &request, sizeof request);
}

uint32_t LockVolume(HANDLE device) {
    return Control(device, FSCTL_LOCK_VOLUME);
}

uint32_t UnlockVolume(HANDLE device) {
    return Control(device, FSCTL_UNLOCK_VOLUME);
}

uint32_t DismountVolume(HANDLE device) {
    return Control(device, FSCTL_DISMOUNT_VOLUME);
}

uint32_t EjectMedia(HANDLE device) {
    return Control(device, IOCTL_STORAGE_EJECT_MEDIA);
}

uint32_t CheckWritable(HANDLE device) {
    return Control(device, IOCTL_DISK_IS_WRITABLE);
}

std::optional<uint64_t> MediumLength(HANDLE device) {
    GET_LENGTH_INFORMATION length{};
    if (Control(device, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(length.Length.QuadPart);
}

}  // namespace drvKit::win32
