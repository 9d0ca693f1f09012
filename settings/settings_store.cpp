#include "settings/settings_store.h"

#include <memory>

#include "os/errors.h"

namespace settings {

namespace {

constexpr const char* kTwelveConfiguredValues[] = {
    names::kTooLargeStatus, names::kFileErrorStatus,  names::kFileNameStatus, names::kIconStatus,
    names::kMirrorStatus,   names::kNotCurrentStatus, names::kRevisions,      names::kWarningStatus,
};

std::string Low(const char* base) {
    return std::string(base) + " Low";
}
std::string High(const char* base) {
    return std::string(base) + " High";
}

}  // namespace

CKRVSettingsStore::CKRVSettingsStore(os::Registry& registry, std::string productKey)
    : registry_(registry),
      optionsKey_(productKey + "\\" + kUserOptionsSubkey),
      specialKey_(productKey + "\\" + kSpecialSubkey) {}

// Each operation opens the key, does its one thing and closes it: the key object's lifetime is
// the operation's.

uint32_t CKRVSettingsStore::ReadDword(const char* name, uint32_t& value) const {
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, false, key)) {
        return error;
    }
    os::RegistryValue stored;
    if (const uint32_t error = key->QueryValue(name, stored)) {
        return error;
    }
    uint32_t number = 0;
    if (!stored.AsDword(number)) {
        return kErrorInvalidData;
    }
    value = number;
    return os::kErrorSuccess;
}

uint32_t CKRVSettingsStore::WriteDword(const char* name, uint32_t value) const {
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.CreateKey(os::Hive::CurrentUser, optionsKey_, key)) {
        return error;
    }
    return key->SetValue(name, os::RegistryValue::Dword(value));
}

// A string reads up to its first NUL, so that values stored with and without a terminator read
// alike; its length is not limited.
uint32_t CKRVSettingsStore::ReadString(const char* name, std::string& value) const {
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, false, key)) {
        return error;
    }
    os::RegistryValue stored;
    if (const uint32_t error = key->QueryValue(name, stored)) {
        return error;
    }
    if (stored.type != os::kRegSz) {
        return kErrorInvalidData;
    }
    value = stored.data.substr(0, stored.data.find('\0'));
    return os::kErrorSuccess;
}

// Written with the character count as the size, without a terminator, and only when not empty.
uint32_t CKRVSettingsStore::WriteString(const char* name, const std::string& value) const {
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.CreateKey(os::Hive::CurrentUser, optionsKey_, key)) {
        return error;
    }
    if (value.empty()) {
        return os::kErrorSuccess;
    }
    os::RegistryValue stored;
    stored.type = os::kRegSz;
    stored.data = value;
    return key->SetValue(name, stored);
}

// The strings one after another, each ended by a NUL; one more NUL ends the list. An empty
// string in the middle is an empty entry; data without its final NULs still reads every string.
uint32_t CKRVSettingsStore::ReadList(const char* name, std::vector<std::string>& list) const {
    list.clear();
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, false, key)) {
        return error;
    }
    os::RegistryValue stored;
    if (const uint32_t error = key->QueryValue(name, stored)) {
        return error;
    }
    if (stored.type != os::kRegMultiSz) {
        return kErrorInvalidData;
    }
    const std::string& data = stored.data;
    size_t offset = 0;
    while (data.size() > 0 && offset < data.size() - 1) {
        size_t end = data.find('\0', offset);
        if (end == std::string::npos) {
            end = data.size();
        }
        list.push_back(data.substr(offset, end - offset));
        offset = end + 1;
    }
    return os::kErrorSuccess;
}

uint32_t CKRVSettingsStore::WriteList(const char* name,
                                      const std::vector<std::string>& list) const {
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.CreateKey(os::Hive::CurrentUser, optionsKey_, key)) {
        return error;
    }
    if (list.empty()) {
        return os::kErrorSuccess;
    }
    os::RegistryValue stored;
    stored.type = os::kRegMultiSz;
    for (const std::string& entry : list) {
        stored.data += entry;
        stored.data.push_back('\0');
    }
    stored.data.push_back('\0');
    return key->SetValue(name, stored);
}

uint32_t CKRVSettingsStore::ReadPair(const std::string& low, const std::string& high,
                                     os::FileTime& value) const {
    uint32_t lowPart = 0;
    uint32_t highPart = 0;
    if (const uint32_t error = ReadDword(low.c_str(), lowPart)) {
        return error;
    }
    if (const uint32_t error = ReadDword(high.c_str(), highPart)) {
        return error;
    }
    value = os::MakeFileTime(lowPart, highPart);
    return os::kErrorSuccess;
}

uint32_t CKRVSettingsStore::WritePair(const std::string& low, const std::string& high,
                                      os::FileTime value) const {
    if (const uint32_t error = WriteDword(low.c_str(), os::LowPart(value))) {
        return error;
    }
    return WriteDword(high.c_str(), os::HighPart(value));
}

namespace {

// Applies the "zeroed when missing" rule around a read.
template <typename Read>
uint32_t Zeroed(uint32_t& value, Read read) {
    value = 0;
    return read();
}

}  // namespace

uint32_t CKRVSettingsStore::ReadDestination(std::string& value) const {
    return ReadString(names::kDestination, value);
}
uint32_t CKRVSettingsStore::WriteDestination(const std::string& value) const {
    return WriteString(names::kDestination, value);
}
uint32_t CKRVSettingsStore::ReadDiskId(std::string& value) const {
    return ReadString(names::kDiskId, value);
}
uint32_t CKRVSettingsStore::WriteDiskId(const std::string& value) const {
    return WriteString(names::kDiskId, value);
}

uint32_t CKRVSettingsStore::ReadSourceList(std::vector<std::string>& folders) const {
    return ReadList(names::kSource, folders);
}
uint32_t CKRVSettingsStore::WriteSourceList(const std::vector<std::string>& folders) const {
    return WriteList(names::kSource, folders);
}
uint32_t CKRVSettingsStore::ReadFilterList(std::vector<std::string>& extensions) const {
    return ReadList(names::kFilter, extensions);
}
uint32_t CKRVSettingsStore::WriteFilterList(const std::vector<std::string>& extensions) const {
    return WriteList(names::kFilter, extensions);
}

uint32_t CKRVSettingsStore::DeleteFilterList() const {
    std::unique_ptr<os::RegistryKey> key;
    if (const uint32_t error = registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, true, key)) {
        return error;
    }
    return key->DeleteValue(names::kFilter);
}

uint32_t CKRVSettingsStore::ReadRevisions(uint32_t& value) const {
    return ReadDword(names::kRevisions, value);
}
uint32_t CKRVSettingsStore::WriteRevisions(uint32_t value) const {
    return WriteDword(names::kRevisions, value);
}

uint32_t CKRVSettingsStore::ReadIconStatus(uint32_t& value) const {
    return Zeroed(value, [&] { return ReadDword(names::kIconStatus, value); });
}
uint32_t CKRVSettingsStore::WriteIconStatus(uint32_t value) const {
    return WriteDword(names::kIconStatus, value);
}
uint32_t CKRVSettingsStore::ReadMirrorStatus(uint32_t& value) const {
    return ReadDword(names::kMirrorStatus, value);
}
uint32_t CKRVSettingsStore::WriteMirrorStatus(uint32_t value) const {
    return WriteDword(names::kMirrorStatus, value);
}
uint32_t CKRVSettingsStore::ReadWarningStatus(uint32_t& value) const {
    return ReadDword(names::kWarningStatus, value);
}
uint32_t CKRVSettingsStore::WriteWarningStatus(uint32_t value) const {
    return WriteDword(names::kWarningStatus, value);
}
uint32_t CKRVSettingsStore::ReadProgressStatus(uint32_t& value) const {
    return ReadDword(names::kProgressStatus, value);
}
uint32_t CKRVSettingsStore::WriteProgressStatus(uint32_t value) const {
    return WriteDword(names::kProgressStatus, value);
}
uint32_t CKRVSettingsStore::ReadBuyStatus(uint32_t& value) const {
    return ReadDword(names::kBuyStatus, value);
}
uint32_t CKRVSettingsStore::WriteBuyStatus(uint32_t value) const {
    return WriteDword(names::kBuyStatus, value);
}
uint32_t CKRVSettingsStore::ReadTooLargeStatus(uint32_t& value) const {
    return Zeroed(value, [&] { return ReadDword(names::kTooLargeStatus, value); });
}
uint32_t CKRVSettingsStore::WriteTooLargeStatus(uint32_t value) const {
    return WriteDword(names::kTooLargeStatus, value);
}
uint32_t CKRVSettingsStore::ReadFileErrorStatus(uint32_t& value) const {
    return Zeroed(value, [&] { return ReadDword(names::kFileErrorStatus, value); });
}
uint32_t CKRVSettingsStore::WriteFileErrorStatus(uint32_t value) const {
    return WriteDword(names::kFileErrorStatus, value);
}
uint32_t CKRVSettingsStore::ReadFileNameStatus(uint32_t& value) const {
    return Zeroed(value, [&] { return ReadDword(names::kFileNameStatus, value); });
}
uint32_t CKRVSettingsStore::WriteFileNameStatus(uint32_t value) const {
    return WriteDword(names::kFileNameStatus, value);
}
uint32_t CKRVSettingsStore::ReadNotCurrentStatus(uint32_t& value) const {
    return Zeroed(value, [&] { return ReadDword(names::kNotCurrentStatus, value); });
}
uint32_t CKRVSettingsStore::WriteNotCurrentStatus(uint32_t value) const {
    return WriteDword(names::kNotCurrentStatus, value);
}

uint32_t CKRVSettingsStore::ReadStartTime(os::FileTime& value) const {
    return ReadPair(Low(names::kStartTime), High(names::kStartTime), value);
}
uint32_t CKRVSettingsStore::WriteStartTime(os::FileTime value) const {
    return WritePair(Low(names::kStartTime), High(names::kStartTime), value);
}
uint32_t CKRVSettingsStore::ReadDiskStartTime(os::FileTime& value) const {
    return ReadPair(Low(names::kDiskStartTime), High(names::kDiskStartTime), value);
}
uint32_t CKRVSettingsStore::WriteDiskStartTime(os::FileTime value) const {
    return WritePair(Low(names::kDiskStartTime), High(names::kDiskStartTime), value);
}
uint32_t CKRVSettingsStore::ReadSchedulerLastRun(os::FileTime& value) const {
    const std::string base = names::kSchedulerLastRun;
    return ReadPair(base + ".Low", base + ".High", value);
}
uint32_t CKRVSettingsStore::WriteSchedulerLastRun(os::FileTime value) const {
    const std::string base = names::kSchedulerLastRun;
    return WritePair(base + ".Low", base + ".High", value);
}

uint32_t CKRVSettingsStore::ReadSchedulerValue(const char* name, uint32_t& value) const {
    return Zeroed(value, [&] { return ReadDword(name, value); });
}
uint32_t CKRVSettingsStore::WriteSchedulerValue(const char* name, uint32_t value) const {
    return WriteDword(name, value);
}

// Days count as days: a user who chose every 2 days gets a copy every 2880 minutes.
uint32_t CKRVSettingsStore::ReadIntervalMinutes(uint32_t& minutes) const {
    minutes = kDefaultIntervalMinutes;
    uint32_t count = 0;
    if (const uint32_t error = ReadSchedulerValue(names::kSchedulerInterval, count)) {
        return error;
    }
    uint32_t unit = kUnitMinutes;
    // Zeroed when missing: minutes.
    static_cast<void>(ReadSchedulerValue(names::kSchedulerIntervalUnit, unit));
    if (count < 1 || count > kLongestInterval || unit > kUnitDays) {
        return kErrorInvalidData;  // a wait of 0 would run passes back to back
    }
    const uint64_t perCount = unit == kUnitHours ? 60 : unit == kUnitDays ? 1440 : 1;
    minutes = static_cast<uint32_t>(count * perCount);  // at most 999 days: fits
    return os::kErrorSuccess;
}

bool CKRVSettingsStore::IsConfigured() const {
    std::unique_ptr<os::RegistryKey> key;
    if (registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, false, key) != os::kErrorSuccess) {
        return false;
    }
    for (const char* name : kTwelveConfiguredValues) {
        uint32_t number = 0;
        if (ReadDword(name, number) != os::kErrorSuccess) {
            return false;
        }
    }
    std::string text;
    std::vector<std::string> list;
    os::FileTime time = 0;
    return ReadString(names::kDestination, text) == os::kErrorSuccess &&
           ReadString(names::kDiskId, text) == os::kErrorSuccess &&
           ReadList(names::kSource, list) == os::kErrorSuccess &&
           ReadStartTime(time) == os::kErrorSuccess;
}

bool CKRVSettingsStore::SpecialKeyExists() const {
    std::unique_ptr<os::RegistryKey> key;
    return registry_.OpenKey(os::Hive::CurrentUser, specialKey_, false, key) == os::kErrorSuccess;
}

}  // namespace settings
