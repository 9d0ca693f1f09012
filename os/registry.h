#pragma once
// The registry port: keys and values of the current user, the classes root and the local
// machine, with the Win32 meaning. Key paths and value names are UTF-8; string data (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) is UTF-8 bytes with its NULs exactly as stored, so that a value
// written without a terminator reads back without one.

#include <cstdint>
#include <memory>
#include <string>

namespace os {

enum class Hive { CurrentUser, ClassesRoot, LocalMachine };

inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

struct RegistryValue {
    uint32_t type = kRegNone;
    std::string data;  // raw bytes; little-endian for numbers

    static RegistryValue Dword(uint32_t value);
    static RegistryValue String(const std::string& text);  // REG_SZ with its terminating NUL
    // The number of a REG_DWORD of exactly four bytes.
    [[nodiscard]] bool AsDword(uint32_t& value) const;
};

class RegistryKey {
  public:
    virtual ~RegistryKey() = default;  // closes the key
    // The whole value ("" names the default value); 2 when it does not exist.
    [[nodiscard]] virtual uint32_t QueryValue(const std::string& name, RegistryValue& value) = 0;
    // Needs a key opened for writing (5 otherwise).
    [[nodiscard]] virtual uint32_t SetValue(const std::string& name,
                                            const RegistryValue& value) = 0;
    // 2 when it does not exist.
    [[nodiscard]] virtual uint32_t DeleteValue(const std::string& name) = 0;
    // The name of the subkey at index (RegEnumKey order); 259 past the last one.
    [[nodiscard]] virtual uint32_t EnumerateSubkey(uint32_t index, std::string& name) = 0;
};

class Registry {
  public:
    virtual ~Registry() = default;
    // RegOpenKeyEx; 2 when the key does not exist.
    [[nodiscard]] virtual uint32_t OpenKey(Hive hive, const std::string& path, bool forWriting,
                                           std::unique_ptr<RegistryKey>& key) = 0;
    // RegCreateKeyEx with write and query access: opens the key, creating it and its parents.
    [[nodiscard]] virtual uint32_t CreateKey(Hive hive, const std::string& path,
                                             std::unique_ptr<RegistryKey>& key) = 0;
    // Deletes a key with all its subkeys and values; 2 when it does not exist.
    [[nodiscard]] virtual uint32_t DeleteKeyTree(Hive hive, const std::string& path) = 0;
};

}  // namespace os
