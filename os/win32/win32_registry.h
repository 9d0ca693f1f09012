#pragma once
// The registry port over the wide registry API. String values cross the port as UTF-8 with their
// NULs exactly as stored; they are stored as UTF-16 (two bytes a code unit).

#include "os/registry.h"

namespace os::win32 {

class Win32Registry final : public Registry {
  public:
    [[nodiscard]] uint32_t OpenKey(Hive hive, const std::string& path, bool forWriting,
                                   std::unique_ptr<RegistryKey>& key) override;
    [[nodiscard]] uint32_t CreateKey(Hive hive, const std::string& path,
                                     std::unique_ptr<RegistryKey>& key) override;
    [[nodiscard]] uint32_t DeleteKeyTree(Hive hive, const std::string& path) override;
};

}  // namespace os::win32
