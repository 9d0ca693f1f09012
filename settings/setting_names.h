#pragma once
// Where the program keeps its settings and the names of its registry values.

namespace settings {

// Under HKEY_CURRENT_USER.
inline constexpr char kProductKey[] = "Software\\Corvant Ferrolin 2";
inline constexpr char kUserOptionsSubkey[] = "User Options";
inline constexpr char kSpecialSubkey[] = "Special";

namespace names {
inline constexpr char kDestination[] = "Destination";
inline constexpr char kSource[] = "Source";
inline constexpr char kFilter[] = "Filter";
inline constexpr char kRevisions[] = "Revisions";
inline constexpr char kDiskId[] = "DiskID";
inline constexpr char kStartTime[] = "Start Time";           // + " Low" / " High"
inline constexpr char kDiskStartTime[] = "Disk Start Time";  // + " Low" / " High"
inline constexpr char kIconStatus[] = "Icon Status";
inline constexpr char kMirrorStatus[] = "Mirror Status";
inline constexpr char kWarningStatus[] = "Warning Status";
inline constexpr char kProgressStatus[] = "Progress Status";
inline constexpr char kBuyStatus[] = "Buy Status";
inline constexpr char kTooLargeStatus[] = "2Large Status";
inline constexpr char kFileErrorStatus[] = "FileError Status";
inline constexpr char kFileNameStatus[] = "FileName Status";
inline constexpr char kNotCurrentStatus[] = "NotCurrent Status";
inline constexpr char kSchedulerType[] = "Scheduler TYP";
inline constexpr char kSchedulerInterval[] = "Scheduler INT";
inline constexpr char kSchedulerIntervalUnit[] = "Scheduler ITP";
inline constexpr char kSchedulerDays[] = "Scheduler DOW";
inline constexpr char kSchedulerTimeOfDay[] = "Scheduler TOD";
inline constexpr char kSchedulerLastRun[] = "Scheduler LRT";  // + ".Low" / ".High"
inline constexpr char kSchedulerAtShutdown[] = "Scheduler ASH";
}  // namespace names

// Schedule types ("Scheduler TYP") and interval units ("Scheduler ITP").
inline constexpr unsigned kScheduleOnEveryChange = 0;
inline constexpr unsigned kScheduleEveryInterval = 1;
inline constexpr unsigned kScheduleDaysOfWeek = 2;
inline constexpr unsigned kScheduleAtShutdownOnly = 3;
inline constexpr unsigned kUnitMinutes = 0;
inline constexpr unsigned kUnitHours = 1;
inline constexpr unsigned kUnitDays = 2;
// "Scheduler INT" runs from 1 to 999; what the Scheduling page shows when it is missing or out
// of that range, in minutes.
inline constexpr unsigned kLongestInterval = 999;
inline constexpr unsigned kDefaultIntervalMinutes = 15;

// "Revisions": 0 none, 1..99 that many, this value unlimited.
inline constexpr unsigned kUnlimitedRevisions = 0xFFFFFFFF;

}  // namespace settings
