// Fuzzes the settings store's reading of raw registry values: any type and any bytes under any
// of the program's value names. Every read either fails (and applies its "missing" rule) or gives
// a value that its own write stores again as the same bytes; nothing crashes, hangs or throws.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "os/errors.h"
#include "os/file_time.h"
#include "os/sim/sim_core.h"
#include "os/sim/sim_faults.h"
#include "os/sim/sim_registry.h"
#include "settings/exclusion_list.h"
#include "settings/krv_time.h"
#include "settings/settings_store.h"

namespace {

constexpr char kKey[] = "Software\\Fuzz";
constexpr char kOptions[] = "Software\\Fuzz\\User Options";

const char* const kNames[] = {
    "Destination",        "Source",          "Filter",           "Revisions",
    "DiskID",             "Start Time Low",  "Start Time High",  "Disk Start Time Low",
    "Disk Start Time High", "Icon Status",   "Mirror Status",    "Warning Status",
    "Progress Status",    "Buy Status",      "2Large Status",    "FileError Status",
    "FileName Status",    "NotCurrent Status", "Scheduler TYP",  "Scheduler INT",
    "Scheduler ITP",      "Scheduler DOW",   "Scheduler TOD",    "Scheduler LRT.Low",
    "Scheduler LRT.High", "Scheduler ASH",
};
constexpr uint32_t kTypes[] = {os::kRegNone,   os::kRegSz,       os::kRegExpandSz, os::kRegBinary,
                               os::kRegDword,  os::kRegMultiSz,  os::kRegQword,    5,
                               0xFFFFFFFF};

// Ends the run with the line of the rule that did not hold.
void Fail(int line) {
    std::fprintf(stderr, "rule at line %d does not hold\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? void() : Fail(__LINE__))

bool HasNul(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

struct Machine {
    os::sim::SimCore core;
    os::sim::SimFaults faults;
    os::sim::SimRegistry registry{core, faults};
};

void CheckString(const settings::CKRVSettingsStore& store, uint32_t (settings::CKRVSettingsStore::*read)(std::string&) const,
                 uint32_t (settings::CKRVSettingsStore::*write)(const std::string&) const) {
    std::string value = "kept";
    if ((store.*read)(value) != os::kErrorSuccess) {
        Check(value == "kept");  // kept when missing
        return;
    }
    Check(!HasNul(value));
    if (!value.empty()) {
        Check((store.*write)(value) == os::kErrorSuccess);
        std::string again;
        Check((store.*read)(again) == os::kErrorSuccess && again == value);
    }
}

void CheckList(const settings::CKRVSettingsStore& store,
               uint32_t (settings::CKRVSettingsStore::*read)(std::vector<std::string>&) const,
               uint32_t (settings::CKRVSettingsStore::*write)(const std::vector<std::string>&)
                   const) {
    std::vector<std::string> list{"kept"};
    if ((store.*read)(list) != os::kErrorSuccess) {
        Check(list.empty());  // emptied when missing
        return;
    }
    bool emptyEntry = false;
    for (const std::string& entry : list) {
        Check(!HasNul(entry));
        emptyEntry = emptyEntry || entry.empty();
    }
    // A list without empty entries is stored back as the same list.
    if (!list.empty() && !emptyEntry) {
        Check((store.*write)(list) == os::kErrorSuccess);
        std::vector<std::string> again;
        Check((store.*read)(again) == os::kErrorSuccess && again == list);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Machine machine;
    machine.registry.DeleteKeyTree(os::Hive::CurrentUser, kKey);  // 2 when there is none
    std::unique_ptr<os::RegistryKey> key;
    Check(machine.registry.CreateKey(os::Hive::CurrentUser, kOptions, key) == os::kErrorSuccess);

    // Records: name, type, length (two bytes), that many bytes of data.
    size_t at = 0;
    while (at + 4 <= size) {
        const char* name = kNames[data[at] % std::size(kNames)];
        const uint32_t type = kTypes[data[at + 1] % std::size(kTypes)];
        size_t length = static_cast<size_t>(data[at + 2]) | static_cast<size_t>(data[at + 3]) << 8;
        at += 4;
        length = std::min(length, size - at);
        os::RegistryValue value;
        value.type = type;
        value.data.assign(reinterpret_cast<const char*>(data + at), length);
        at += length;
        // Text that is not well-formed never comes out of the registry port (the system's
        // UTF-16 always converts): the simulated registry refuses it.
        key->SetValue(name, value);
    }

    const settings::CKRVSettingsStore store(machine.registry, kKey);
    using Store = settings::CKRVSettingsStore;
    CheckString(store, &Store::ReadDestination, &Store::WriteDestination);
    CheckString(store, &Store::ReadDiskId, &Store::WriteDiskId);
    CheckList(store, &Store::ReadSourceList, &Store::WriteSourceList);
    CheckList(store, &Store::ReadFilterList, &Store::WriteFilterList);

    // Numbers: only a REG_DWORD of four bytes reads, as those bytes say.
    for (const char* name : {"Revisions", "Mirror Status", "Warning Status", "Progress Status",
                             "Buy Status"}) {
        uint32_t value = 0x5A5A5A5A;
        os::RegistryValue raw;
        const bool stored = key->QueryValue(name, raw) == os::kErrorSuccess;
        uint32_t expected = 0;
        const bool valid = stored && raw.AsDword(expected);
        uint32_t error = 0;
        const std::string n = name;
        if (n == "Revisions") {
            error = store.ReadRevisions(value);
        } else if (n == "Mirror Status") {
            error = store.ReadMirrorStatus(value);
        } else if (n == "Warning Status") {
            error = store.ReadWarningStatus(value);
        } else if (n == "Progress Status") {
            error = store.ReadProgressStatus(value);
        } else {
            error = store.ReadBuyStatus(value);
        }
        Check((error == os::kErrorSuccess) == valid);
        Check(value == (valid ? expected : 0x5A5A5A5Au));
    }
    uint32_t zeroed = 7;
    if (store.ReadIconStatus(zeroed) != os::kErrorSuccess) {
        Check(zeroed == 0);
    }
    uint32_t minutes = 0;
    store.ReadIntervalMinutes(minutes);  // any figure; the engine bounds it where it waits
    store.IsConfigured();

    // Times: a pair that reads is one FILETIME; the scheduler takes a last run only when it is a
    // date, and then as that date.
    os::FileTime time = 1;
    if (store.ReadStartTime(time) == os::kErrorSuccess) {
        Check(store.WriteStartTime(time) == os::kErrorSuccess);
        os::FileTime again = 0;
        Check(store.ReadStartTime(again) == os::kErrorSuccess && again == time);
    }
    os::FileTime lastRun = 0;
    if (store.ReadSchedulerLastRun(lastRun) == os::kErrorSuccess) {
        if (const auto fields = os::FileTimeToSystemTime(lastRun)) {
            const settings::CKrvtime when = settings::CKrvtime::FromFileTime(lastRun);
            const auto back = when.ToFileTime();
            Check(back.has_value());
            Check(*back <= lastRun && lastRun - *back < os::kFileTimeTicksPerSecond);
        }
    }

    // The exclusion list as the scan uses it agrees with the plain test.
    std::vector<std::string> filter;
    if (store.ReadFilterList(filter) == os::kErrorSuccess) {
        const settings::ExclusionMatcher matcher(filter);
        for (const std::string& entry : filter) {
            for (const std::string& path : {"C:\\Data\\file." + entry, "C:\\Data\\" + entry,
                                            std::string("C:\\x.y\\name")}) {
                Check(matcher.Matches(path) == settings::IsExcluded(path, filter));
            }
        }
    }
    return 0;
}
