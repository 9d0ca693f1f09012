#pragma once
// The settings store: every setting of the program is one registry value under
// HKEY_CURRENT_USER\Software\Corvant Ferrolin 2\User Options. Each operation opens the key, reads
// or writes one value (or one pair), and closes it again; nothing is cached, so what one part of
// the program writes, the next read anywhere sees.
//
// Every operation returns 0 or the registry's error code. A read that fails applies the value's
// "missing" rule: the caller's variable is set to 0 first ("zeroed") or left as it was ("kept").
// A value of the wrong type or size counts as missing (error 13, ERROR_INVALID_DATA), never as
// whatever its bytes happen to say.

#include <cstdint>
#include <string>
#include <vector>

#include "os/errors.h"
#include "os/file_time.h"
#include "os/registry.h"
#include "settings/setting_names.h"

namespace settings {

using os::kErrorInvalidData;

class CKRVSettingsStore {
  public:
    // productKey is the program's key under HKEY_CURRENT_USER; tests give their own.
    explicit CKRVSettingsStore(os::Registry& registry, std::string productKey = kProductKey);

    // Strings, kept when missing. Writing an empty string leaves the stored value as it was.
    [[nodiscard]] uint32_t ReadDestination(std::string& value) const;
    [[nodiscard]] uint32_t WriteDestination(const std::string& value) const;
    [[nodiscard]] uint32_t ReadDiskId(std::string& value) const;
    [[nodiscard]] uint32_t WriteDiskId(const std::string& value) const;

    // Lists, emptied when missing. Writing an empty list leaves the stored value as it was.
    [[nodiscard]] uint32_t ReadSourceList(std::vector<std::string>& folders) const;
    [[nodiscard]] uint32_t WriteSourceList(const std::vector<std::string>& folders) const;
    [[nodiscard]] uint32_t ReadFilterList(std::vector<std::string>& extensions) const;
    [[nodiscard]] uint32_t WriteFilterList(const std::vector<std::string>& extensions) const;
    // Removes "Filter" (the exclusion dialog does this before it stores a new list).
    [[nodiscard]] uint32_t DeleteFilterList() const;

    // Numbers. Kept when missing: Revisions, Mirror, Warning, Progress and Buy Status.
    // Zeroed when missing: Icon, 2Large, FileError, FileName and NotCurrent Status.
    [[nodiscard]] uint32_t ReadRevisions(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteRevisions(uint32_t value) const;
    [[nodiscard]] uint32_t ReadIconStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteIconStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadMirrorStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteMirrorStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadWarningStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteWarningStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadProgressStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteProgressStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadBuyStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteBuyStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadTooLargeStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteTooLargeStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadFileErrorStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteFileErrorStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadFileNameStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteFileNameStatus(uint32_t value) const;
    [[nodiscard]] uint32_t ReadNotCurrentStatus(uint32_t& value) const;
    [[nodiscard]] uint32_t WriteNotCurrentStatus(uint32_t value) const;

    // 64-bit times as two values, low half first; kept when missing (reading stops at the first
    // half that fails, so a failed read changes nothing).
    [[nodiscard]] uint32_t ReadStartTime(os::FileTime& value) const;
    [[nodiscard]] uint32_t WriteStartTime(os::FileTime value) const;
    [[nodiscard]] uint32_t ReadDiskStartTime(os::FileTime& value) const;
    [[nodiscard]] uint32_t WriteDiskStartTime(os::FileTime value) const;
    // "Scheduler LRT.Low"/".High": the last scheduled run as a FILETIME of local wall-clock time.
    [[nodiscard]] uint32_t ReadSchedulerLastRun(os::FileTime& value) const;
    [[nodiscard]] uint32_t WriteSchedulerLastRun(os::FileTime value) const;

    // The "Scheduler ..." numbers by name (names::kSchedulerType and friends), zeroed when
    // missing.
    [[nodiscard]] uint32_t ReadSchedulerValue(const char* name, uint32_t& value) const;
    [[nodiscard]] uint32_t WriteSchedulerValue(const char* name, uint32_t value) const;

    // The interval of schedule type 1 in minutes: "Scheduler INT" times 60 for hours and times
    // 1440 for days; the unit defaults to minutes. A count that is missing or outside 1..999, or
    // a unit outside 0..2, gives the Scheduling page's default of 15 minutes (and the error:
    // the read's, or 13 for a value out of range), never 0.
    [[nodiscard]] uint32_t ReadIntervalMinutes(uint32_t& minutes) const;

    // The key can be opened and all twelve values the setup wizard stores can be read.
    bool IsConfigured() const;
    // The key "Special" beside "User Options" can be opened for reading.
    bool SpecialKeyExists() const;

  private:
    [[nodiscard]] uint32_t ReadDword(const char* name, uint32_t& value) const;
    [[nodiscard]] uint32_t WriteDword(const char* name, uint32_t value) const;
    [[nodiscard]] uint32_t ReadString(const char* name, std::string& value) const;
    [[nodiscard]] uint32_t WriteString(const char* name, const std::string& value) const;
    [[nodiscard]] uint32_t ReadList(const char* name, std::vector<std::string>& list) const;
    [[nodiscard]] uint32_t WriteList(const char* name, const std::vector<std::string>& list) const;
    [[nodiscard]] uint32_t ReadPair(const std::string& low, const std::string& high,
                                    os::FileTime& value) const;
    [[nodiscard]] uint32_t WritePair(const std::string& low, const std::string& high,
                                     os::FileTime value) const;

    os::Registry& registry_;
    std::string optionsKey_;
    std::string specialKey_;
};

}  // namespace settings
