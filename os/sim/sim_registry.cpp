#include "os/sim/sim_registry.h"

#include <vector>

#include "os/errors.h"
#include "os/text.h"

namespace os::sim {

struct SimKeyNode {
    std::string name;
    std::map<std::string, std::shared_ptr<SimKeyNode>> subkeys;           // by upper-case name
    std::map<std::string, std::pair<std::string, RegistryValue>> values;  // upper-case name
    bool deleted = false;
};

namespace {

std::vector<std::string> SplitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

// Names and string data must be text: no NUL in a name, well-formed UTF-8 in both, as the Win32
// port demands.
bool IsAcceptableName(const std::string& name) {
    return name.find('\0') == std::string::npos && IsWellFormed(name);
}

bool IsAcceptableData(const RegistryValue& value) {
    const bool text =
        value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
    return !text || IsWellFormed(value.data);
}

}  // namespace

class SimRegistryKey final : public RegistryKey {
  public:
    SimRegistryKey(SimRegistry& registry, std::shared_ptr<SimKeyNode> node, std::string path,
                   bool writable)
        : registry_(registry),
          node_(std::move(node)),
          path_(std::move(path)),
          writable_(writable) {}

    [[nodiscard]] uint32_t QueryValue(const std::string& name, RegistryValue& value) override {
        std::lock_guard lock(registry_.core_.mutex());
        if (node_->deleted) {
            return kErrorKeyDeleted;
        }
        if (const uint32_t error =
                registry_.faults_.Check(SimOperation::RegistryQuery, path_ + ":" + name)) {
            return error;
        }
        auto it = node_->values.find(Upcase(name));
        if (it == node_->values.end()) {
            return kErrorFileNotFound;
        }
        value = it->second.second;
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t SetValue(const std::string& name, const RegistryValue& value) override {
        std::lock_guard lock(registry_.core_.mutex());
        if (!writable_) {
            return kErrorAccessDenied;
        }
        if (node_->deleted) {
            return kErrorKeyDeleted;
        }
        if (!IsAcceptableName(name) || !IsAcceptableData(value)) {
            return kErrorInvalidParameter;
        }
        if (const uint32_t error =
                registry_.faults_.Check(SimOperation::RegistrySet, path_ + ":" + name)) {
            return error;
        }
        node_->values[Upcase(name)] = {name, value};
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t DeleteValue(const std::string& name) override {
        std::lock_guard lock(registry_.core_.mutex());
        if (!writable_) {
            return kErrorAccessDenied;
        }
        if (const uint32_t error =
                registry_.faults_.Check(SimOperation::RegistryDelete, path_ + ":" + name)) {
            return error;
        }
        return node_->values.erase(Upcase(name)) == 0 ? kErrorFileNotFound : kErrorSuccess;
    }

    [[nodiscard]] uint32_t EnumerateSubkey(uint32_t index, std::string& name) override {
        std::lock_guard lock(registry_.core_.mutex());
        if (index >= node_->subkeys.size()) {
            return kErrorNoMoreItems;
        }
        auto it = node_->subkeys.begin();
        std::advance(it, index);
        name = it->second->name;
        return kErrorSuccess;
    }

  private:
    SimRegistry& registry_;
    std::shared_ptr<SimKeyNode> node_;
    const std::string path_;
    const bool writable_;
};

SimRegistry::SimRegistry(SimCore& core, SimFaults& faults) : core_(core), faults_(faults) {
    for (Hive hive : {Hive::CurrentUser, Hive::ClassesRoot, Hive::LocalMachine}) {
        hives_[hive] = std::make_shared<SimKeyNode>();
    }
}

SimRegistry::~SimRegistry() = default;

std::string SimRegistry::HiveName(Hive hive) {
    switch (hive) {
        case Hive::CurrentUser:
            return "HKCU";
        case Hive::ClassesRoot:
            return "HKCR";
        case Hive::LocalMachine:
            return "HKLM";
    }
    return "HK?";
}

std::shared_ptr<SimKeyNode> SimRegistry::FindLocked(Hive hive, const std::string& path) const {
    std::shared_ptr<SimKeyNode> node = hives_.at(hive);
    for (const std::string& part : SplitKeyPath(path)) {
        auto it = node->subkeys.find(Upcase(part));
        if (it == node->subkeys.end()) {
            return nullptr;
        }
        node = it->second;
    }
    return node;
}

std::shared_ptr<SimKeyNode> SimRegistry::CreateLocked(Hive hive, const std::string& path) {
    std::shared_ptr<SimKeyNode> node = hives_.at(hive);
    for (const std::string& part : SplitKeyPath(path)) {
        auto& slot = node->subkeys[Upcase(part)];
        if (!slot) {
            slot = std::make_shared<SimKeyNode>();
            slot->name = part;
        }
        node = slot;
    }
    return node;
}

uint32_t SimRegistry::OpenKey(Hive hive, const std::string& path, bool forWriting,
                              std::unique_ptr<RegistryKey>& key) {
    std::lock_guard lock(core_.mutex());
    const std::string full = HiveName(hive) + "\\" + path;
    if (const uint32_t error = faults_.Check(SimOperation::RegistryOpen, full)) {
        return error;
    }
    std::shared_ptr<SimKeyNode> node = FindLocked(hive, path);
    if (!node) {
        return kErrorFileNotFound;
    }
    key = std::make_unique<SimRegistryKey>(*this, node, full, forWriting);
    return kErrorSuccess;
}

uint32_t SimRegistry::CreateKey(Hive hive, const std::string& path,
                                std::unique_ptr<RegistryKey>& key) {
    std::lock_guard lock(core_.mutex());
    const std::string full = HiveName(hive) + "\\" + path;
    if (const uint32_t error = faults_.Check(SimOperation::RegistryOpen, full)) {
        return error;
    }
    key = std::make_unique<SimRegistryKey>(*this, CreateLocked(hive, path), full, true);
    return kErrorSuccess;
}

uint32_t SimRegistry::DeleteKeyTree(Hive hive, const std::string& path) {
    std::lock_guard lock(core_.mutex());
    const std::string full = HiveName(hive) + "\\" + path;
    if (const uint32_t error = faults_.Check(SimOperation::RegistryDelete, full)) {
        return error;
    }
    std::vector<std::string> parts = SplitKeyPath(path);
    if (parts.empty()) {
        return kErrorAccessDenied;
    }
    const std::string last = parts.back();
    parts.pop_back();
    std::shared_ptr<SimKeyNode> parent = hives_.at(hive);
    for (const std::string& part : parts) {
        auto it = parent->subkeys.find(Upcase(part));
        if (it == parent->subkeys.end()) {
            return kErrorFileNotFound;
        }
        parent = it->second;
    }
    auto it = parent->subkeys.find(Upcase(last));
    if (it == parent->subkeys.end()) {
        return kErrorFileNotFound;
    }
    std::vector<std::shared_ptr<SimKeyNode>> pending{it->second};
    while (!pending.empty()) {
        auto node = pending.back();
        pending.pop_back();
        node->deleted = true;
        for (auto& [k, child] : node->subkeys) {
            pending.push_back(child);
        }
    }
    parent->subkeys.erase(it);
    return kErrorSuccess;
}

void SimRegistry::Put(Hive hive, const std::string& path, const std::string& name,
                      const RegistryValue& value) {
    std::lock_guard lock(core_.mutex());
    CreateLocked(hive, path)->values[Upcase(name)] = {name, value};
}

bool SimRegistry::Get(Hive hive, const std::string& path, const std::string& name,
                      RegistryValue& value) {
    std::lock_guard lock(core_.mutex());
    std::shared_ptr<SimKeyNode> node = FindLocked(hive, path);
    if (!node) {
        return false;
    }
    auto it = node->values.find(Upcase(name));
    if (it == node->values.end()) {
        return false;
    }
    value = it->second.second;
    return true;
}

void SimRegistry::AddStandardClasses() {
    struct Type {
        const char* extension;
        const char* progId;
        const char* description;
    };
    static constexpr Type kTypes[] = {
        {".txt", "txtfile", "Text Document"},
        {".ini", "inifile", "Configuration settings"},
        {".doc", "Word.Document.8", "Microsoft Word 97 - 2003 Document"},
        {".bmp", "Paint.Picture", "Bitmap image"},
        {".jpeg", "jpegfile", "JPEG image"},
        {".zip", "CompressedFolder", "Compressed (zipped) Folder"},
        {".tmp", "", ""},
    };
    for (const Type& type : kTypes) {
        Put(Hive::ClassesRoot, type.extension, "", RegistryValue::String(type.progId));
        if (*type.progId != '\0') {
            Put(Hive::ClassesRoot, type.progId, "", RegistryValue::String(type.description));
        }
    }
}

}  // namespace os::sim
