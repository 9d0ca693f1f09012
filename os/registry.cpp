#include "os/registry.h"

namespace os {

RegistryValue RegistryValue::Dword(uint32_t value) {
    RegistryValue v;
    v.type = kRegDword;
    for (int i = 0; i < 4; ++i) {
        v.data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return v;
}

RegistryValue RegistryValue::String(const std::string& text) {
    RegistryValue v;
    v.type = kRegSz;
    v.data = text;
    v.data.push_back('\0');
    return v;
}

bool RegistryValue::AsDword(uint32_t& value) const {
    if (type != kRegDword || data.size() != 4) {
        return false;
    }
    value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    }
    return true;
}

}  // namespace os
