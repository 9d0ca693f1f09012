#pragma once
// Removable drives under Wine for the Windows tests: a drive letter whose medium is a folder of
// the host, with the volume label and serial number in the folder's .windows-label and
// .windows-serial files.
//
// Wine's mount manager reads a drive's label and serial number once, when it learns of the
// drive, and keeps them while the prefix runs: re-pointing the dosdevices symlink alone leaves
// the old disk's identity in place until the wineserver restarts. These helpers therefore ask the
// mount manager itself to define the drive again (the request winecfg makes), which re-points the
// symlink and reads the new medium at once, without stopping the prefix's other programs.

#include <cstdint>
#include <string>

namespace winetest {

bool RunningUnderWine();

// The prefix's folder beside it for media ("$WINEPREFIX-media", as tools/wine-env.sh makes it),
// as a host path; empty when WINEPREFIX is not set.
std::string HostMediaFolder();
// The Windows path of a host path, through Wine's Z: drive ("/tmp/x" -> "Z:\tmp\x").
std::wstring WindowsPathOfHostPath(const std::string& hostPath);

// Makes (or rewrites) a medium: the folder with its label and serial number (8 hex digits).
// 0 or the Win32 error.
uint32_t MakeMedium(const std::string& hostFolder, const std::string& label,
                    const std::string& serialHex);

// Makes letter a removable drive with the folder as its medium; 0 or the Win32 error.
uint32_t InsertMedium(char letter, const std::string& hostFolder);
// Leaves the drive without a medium: it stays a removable drive whose root does not open.
uint32_t EjectMedium(char letter);
// Takes the drive away altogether.
uint32_t RemoveDrive(char letter);

// Removes a medium folder made by MakeMedium (its two files and the folder, nothing else).
void RemoveMedium(const std::string& hostFolder);

}  // namespace winetest
