// What the simulated file systems themselves allow: the largest file, how times are stored (their
// resolution, and local time on FAT) and which new names a medium refuses.

#include "os/errors.h"
#include "os/sim/sim_file_system.h"
#include "os/sim/sim_node.h"
#include "os/text.h"

namespace os::sim {

namespace {

enum class Family { Exact, Fat, ExFat };

Family FamilyOf(const SimMedium& medium) {
    const SimMediumSpec& setup = medium.setup();
    if (!setup.fileSystemRules) {
        return Family::Exact;
    }
    const std::string name = Upcase(setup.fileSystem);
    if (name == "FAT32" || name == "FAT" || name == "FAT16" || name == "FAT12") {
        return Family::Fat;
    }
    return name == "EXFAT" ? Family::ExFat : Family::Exact;
}

constexpr FileTime kTenMilliseconds = 10 * kFileTimeTicksPerMillisecond;
constexpr FileTime kTwoSeconds = 2 * kFileTimeTicksPerSecond;
constexpr FileTime kOneDay = 24 * 60 * kFileTimeTicksPerMinute;

FileTime Down(FileTime t, FileTime step) {
    return t - t % step;
}

FileTime Up(FileTime t, FileTime step) {
    return t % step == 0 ? t : t - t % step + step;
}

// The bias moves a UTC time to local time (UTC = local + bias), without passing zero.
FileTime ToLocal(FileTime utc, int32_t biasMinutes) {
    const int64_t shift = static_cast<int64_t>(biasMinutes) * static_cast<int64_t>(kFileTimeTicksPerMinute);
    if (shift > 0 && utc <= static_cast<FileTime>(shift)) {
        return 1;
    }
    return static_cast<FileTime>(static_cast<int64_t>(utc) - shift);
}

FileTime FromLocal(FileTime local, int32_t biasMinutes) {
    return ToLocal(local, -biasMinutes);
}

}  // namespace

uint32_t SimFileSystem::CheckNewNameLocked(const SimMedium& medium, const std::string& name) const {
    if (Utf16Length(name) > medium.setup().maximumComponentLength) {
        return kErrorInvalidName;
    }
    const Family family = FamilyOf(medium);
    if (family != Family::Exact && !name.empty() && (name.back() == '.' || name.back() == ' ')) {
        return kErrorInvalidName;  // FAT and exFAT keep no name that ends so
    }
    return kErrorSuccess;
}

uint64_t SimFileSystem::LargestFileOn(const SimMedium& medium) {
    return FamilyOf(medium) == Family::Fat ? 0xFFFFFFFFULL : UINT64_MAX;
}

FileTimes SimFileSystem::StoredTimesLocked(const SimMedium& medium, const FileTimes& utc) const {
    FileTimes stored = utc;
    switch (FamilyOf(medium)) {
        case Family::Exact:
            break;
        case Family::ExFat:
            stored.creation = Down(utc.creation, kTenMilliseconds);
            stored.lastWrite = Down(utc.lastWrite, kTenMilliseconds);
            stored.lastAccess = Down(utc.lastAccess, kTwoSeconds);
            break;
        case Family::Fat: {
            const int32_t bias = core_.BiasLocked();
            auto local = [bias](FileTime t) { return t == 0 ? 0 : ToLocal(t, bias); };
            stored.creation = Down(local(utc.creation), kTenMilliseconds);
            stored.lastWrite = Up(local(utc.lastWrite), kTwoSeconds);
            stored.lastAccess = Down(local(utc.lastAccess), kOneDay);
            break;
        }
    }
    // A member that was zero ("leave it") stays zero.
    stored.creation = utc.creation == 0 ? 0 : std::max<FileTime>(stored.creation, 1);
    stored.lastWrite = utc.lastWrite == 0 ? 0 : std::max<FileTime>(stored.lastWrite, 1);
    stored.lastAccess = utc.lastAccess == 0 ? 0 : std::max<FileTime>(stored.lastAccess, 1);
    return stored;
}

FileTimes SimFileSystem::TimesOfLocked(const SimNode& node) const {
    if (node.medium == nullptr || FamilyOf(*node.medium) != Family::Fat) {
        return node.times;
    }
    const int32_t bias = core_.BiasLocked();
    auto utc = [bias](FileTime t) { return t == 0 ? 0 : FromLocal(t, bias); };
    return {utc(node.times.creation), utc(node.times.lastAccess), utc(node.times.lastWrite)};
}

uint32_t SimFileSystem::SetNodeTimesLocked(SimNode& node, const FileTimes& utc) {
    const FileTimes stored =
        node.medium == nullptr ? utc : StoredTimesLocked(*node.medium, utc);
    uint32_t kinds = 0;
    auto apply = [&kinds](FileTime& field, FileTime value, uint32_t kind) {
        if (value != 0 && value != field) {
            field = value;
            kinds |= kind;
        }
    };
    apply(node.times.creation, stored.creation, kNotifyCreation);
    apply(node.times.lastAccess, stored.lastAccess, kNotifyLastAccess);
    apply(node.times.lastWrite, stored.lastWrite, kNotifyLastWrite);
    return kinds;
}

}  // namespace os::sim
