#include "os/win32/win32_registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "os/errors.h"
#include "os/text.h"
#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"
#include "os/win32/windows_api.h"

namespace os::win32 {

namespace {

HKEY RootOf(Hive hive) {
    switch (hive) {
        case Hive::CurrentUser:
            return HKEY_CURRENT_USER;
        case Hive::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case Hive::LocalMachine:
            return HKEY_LOCAL_MACHINE;
    }
    return HKEY_CURRENT_USER;
}

bool IsStringType(uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Key paths, value names and string data go to the API as UTF-16. A NUL inside a name would cut
// it short and malformed UTF-8 would turn into U+FFFD: the call would then reach another key or
// value, or store text other than the one given, so such text is refused.
bool IsUsableName(const std::string& text) {
    return text.find('\0') == std::string::npos && IsWellFormed(text);
}

class Win32RegistryKey final : public RegistryKey {
  public:
    explicit Win32RegistryKey(RegistryHandle key) : key_(std::move(key)) {}

    [[nodiscard]] uint32_t QueryValue(const std::string& name, RegistryValue& value) override {
        if (!IsUsableName(name)) {
            return kErrorInvalidParameter;
        }
        const std::wstring wideName = Widen(name);
        // The value may grow between the calls; the loop goes on until the buffer holds it all.
        std::vector<BYTE> buffer(256);
        DWORD type = 0;
        DWORD size = 0;
        for (;;) {
            size = static_cast<DWORD>(buffer.size());
            const LSTATUS status = ::RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type,
                                                      buffer.data(), &size);
            if (status == ERROR_MORE_DATA) {
                buffer.resize(std::max<size_t>(size, buffer.size() * 2));
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return static_cast<uint32_t>(status);
            }
            break;
        }
        RegistryValue result;
        result.type = type;
        if (IsStringType(type)) {
            // UTF-16 code units as stored, terminators included; an odd last byte is no unit.
            std::u16string units(size / 2, u'\0');
            std::memcpy(units.data(), buffer.data(), units.size() * 2);
            result.data = FromUtf16(units);
        } else {
            result.data.assign(reinterpret_cast<const char*>(buffer.data()), size);
        }
        value = std::move(result);
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t SetValue(const std::string& name, const RegistryValue& value) override {
        if (!IsUsableName(name)) {
            return kErrorInvalidParameter;
        }
        std::u16string units;
        const void* data = value.data.data();
        size_t size = value.data.size();
        if (IsStringType(value.type)) {
            // Embedded NULs are part of the data (REG_MULTI_SZ); only malformed text is refused.
            if (!IsWellFormed(value.data)) {
                return kErrorInvalidParameter;
            }
            units = ToUtf16(value.data);
            size = units.size() * 2;
            // RegSetValueExW counts one more unit when the data ends in a character and the unit
            // after it is a NUL, taking it for a terminator the caller forgot (Windows does so and
            // Wine copies it). The value must hold exactly the given units, so the buffer carries
            // a unit after them that is not a NUL and not part of the data.
            units.push_back(u'\xFFFF');
            data = units.data();
        }
        if (size > 0xFFFFFFFFu) {
            return kErrorInvalidParameter;
        }
        const LSTATUS status =
            ::RegSetValueExW(key_.Get(), Widen(name).c_str(), 0, value.type,
                             static_cast<const BYTE*>(data), static_cast<DWORD>(size));
        return static_cast<uint32_t>(status);
    }

    [[nodiscard]] uint32_t DeleteValue(const std::string& name) override {
        if (!IsUsableName(name)) {
            return kErrorInvalidParameter;
        }
        return static_cast<uint32_t>(::RegDeleteValueW(key_.Get(), Widen(name).c_str()));
    }

    [[nodiscard]] uint32_t EnumerateSubkey(uint32_t index, std::string& name) override {
        // Key names have at most 255 characters; the buffer grows anyway should one be longer.
        std::wstring buffer(256, L'\0');
        for (;;) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LSTATUS status = ::RegEnumKeyExW(key_.Get(), index, buffer.data(), &length,
                                                   nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_MORE_DATA && buffer.size() < 32768) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return static_cast<uint32_t>(status);
            }
            buffer.resize(length);
            name = Narrow(buffer);
            return kErrorSuccess;
        }
    }

  private:
    RegistryHandle key_;
};

}  // namespace

uint32_t Win32Registry::OpenKey(Hive hive, const std::string& path, bool forWriting,
                                std::unique_ptr<RegistryKey>& key) {
    if (!IsUsableName(path)) {
        return kErrorInvalidParameter;
    }
    RegistryHandle handle;
    const REGSAM access = forWriting ? KEY_READ | KEY_WRITE : KEY_READ;
    const LSTATUS status =
        ::RegOpenKeyExW(RootOf(hive), Widen(path).c_str(), 0, access, handle.Put());
    if (status != ERROR_SUCCESS) {
        return static_cast<uint32_t>(status);
    }
    key = std::make_unique<Win32RegistryKey>(std::move(handle));
    return kErrorSuccess;
}

uint32_t Win32Registry::CreateKey(Hive hive, const std::string& path,
                                  std::unique_ptr<RegistryKey>& key) {
    if (!IsUsableName(path)) {
        return kErrorInvalidParameter;
    }
    RegistryHandle handle;
    const LSTATUS status =
        ::RegCreateKeyExW(RootOf(hive), Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, handle.Put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return static_cast<uint32_t>(status);
    }
    key = std::make_unique<Win32RegistryKey>(std::move(handle));
    return kErrorSuccess;
}

uint32_t Win32Registry::DeleteKeyTree(Hive hive, const std::string& path) {
    if (!IsUsableName(path)) {
        return kErrorInvalidParameter;
    }
    // RegDeleteTreeW with an empty subkey empties the key it is given: here that would be a
    // whole hive. A path of nothing but separators names no key and is refused the same way.
    if (path.find_first_not_of('\\') == std::string::npos) {
        return kErrorAccessDenied;
    }
    return static_cast<uint32_t>(::RegDeleteTreeW(RootOf(hive), Widen(path).c_str()));
}

}  // namespace os::win32
