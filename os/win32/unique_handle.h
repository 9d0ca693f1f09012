#pragma once
// Ownership of Win32 handles, keys and system-allocated buffers: one template whose close function
// and invalid value are parameters, so that a handle of CreateFileW (INVALID_HANDLE_VALUE on
// failure) and one of CreateEventW (null on failure) are different types and cannot be mixed up.

#include <cstdint>
#include <utility>

#include "os/win32/windows_api.h"

namespace os::win32 {

template <typename T, auto Close, intptr_t InvalidValue>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    static T Invalid() { return reinterpret_cast<T>(InvalidValue); }
    bool IsValid() const { return value_ != Invalid(); }
    explicit operator bool() const { return IsValid(); }
    T Get() const { return value_; }

    // For out parameters (RegOpenKeyExW(..., handle.Put())): closes what is held first.
    T* Put() {
        Reset();
        return &value_;
    }
    T Release() { return std::exchange(value_, Invalid()); }
    void Reset(T value = Invalid()) {
        const T old = std::exchange(value_, value);
        if (old != Invalid()) {
            Close(old);  // nothing useful can be done about a failed close of a handle let go of
        }
    }

  private:
    T value_ = Invalid();
};

// Events, mutexes, access tokens: null when invalid.
using KernelHandle = UniqueHandle<HANDLE, &::CloseHandle, 0>;
// Files from CreateFileW: INVALID_HANDLE_VALUE when invalid.
using FileHandle = UniqueHandle<HANDLE, &::CloseHandle, -1>;
using FindHandle = UniqueHandle<HANDLE, &::FindClose, -1>;
using ChangeHandle = UniqueHandle<HANDLE, &::FindCloseChangeNotification, -1>;
using RegistryHandle = UniqueHandle<HKEY, &::RegCloseKey, 0>;
// Buffers that FormatMessageW allocates.
using LocalBuffer = UniqueHandle<HLOCAL, &::LocalFree, 0>;

}  // namespace os::win32
