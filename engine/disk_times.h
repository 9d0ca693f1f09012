#pragma once
// How a backup disk keeps file times, and whether a backup's time still says "this version".
// NTFS keeps them exactly; exFAT in steps of 10 ms; FAT and FAT32 keep the last-write time in
// steps of 2 s, rounded up, and in local time, so that a change of the time-zone bias (summer
// time) moves every time read back by the change.

#include <string_view>

#include "os/file_system.h"

namespace engine {

struct DiskTimeRules {
    os::FileTime writeStep = 1;  // the resolution of last-write times, in 100 ns ticks
    bool localTime = false;      // kept in local time: may read back moved by whole hours
};

// The rules of a file system by its name as the volume reports it ("NTFS", "FAT32", "exFAT").
// An unknown name gets the coarsest rules, so that a file is never copied again for nothing.
DiskTimeRules TimeRulesOf(std::string_view fileSystem);

// True when a backup whose last-write time reads backupTime was written with the source's
// last-write time sourceTime, on a disk of these rules. With anyBias, a disk in local time may
// also have been written under another time-zone bias (a time moved by a multiple of a quarter
// hour, up to a day): only for a check that a missed difference cannot hurt, as such a time may
// also be a real change.
bool SameWriteTime(os::FileTime sourceTime, os::FileTime backupTime, const DiskTimeRules& rules,
                   bool anyBias = false);

}  // namespace engine
