#pragma once
// The texts and pictures the drive library derives from a drive's facts, the same for every
// backend: the disk identifier, the label text that Explorer shows, the drive kinds and icons.

#include <cstdint>
#include <string>
#include <string_view>

namespace drvKit {

// A volume serial number as `vol` shows it: eight upper-case hex digits with a hyphen in the
// middle ("1234-ABCD").
std::string FormatVolumeSerial(uint32_t serial);

// "E" for 'e' or 'E'; 0 for anything that is not a drive letter.
char NormalizeDriveLetter(char letter);
// "E:\" for the letter; empty for anything that is not a drive letter.
std::string RootPathOf(char letter);

// The names Explorer gives a drive that has no volume label.
inline constexpr std::string_view kKindRemovableDisk = "Removable Disk";
inline constexpr std::string_view kKindUsbDrive = "USB Drive";
inline constexpr std::string_view kKindFloppy = "Floppy Disk Drive";
inline constexpr std::string_view kKindCD = "CD Drive";
inline constexpr std::string_view kKindLocalDisk = "Local Disk";
inline constexpr std::string_view kKindNetworkDrive = "Network Drive";

// What Explorer shows for a drive: "BACKUP1 (F:)", or the drive's kind when the disk has no label
// (or there is no disk): "Removable Disk (F:)". Control characters in a label show as spaces and
// the spaces at either end are dropped, so a label of blanks counts as none. With neither a label
// nor a kind the text is the drive part alone: "(F:)".
std::string LabelText(std::string_view volumeLabel, std::string_view kindName, char letter);

// The program's drive icon for a sub-family (icon resources 119 to 126), 0 when the sub-family
// has none. The drive list and the insert-disk prompt draw these; the drive library itself holds
// no Windows resources, so an icon is its resource number here and the window that draws it
// loads the image (32 x 32 for kIconLarge, 16 x 16 for kIconSmall).
int IconForSubFamily(int subFamily);

}  // namespace drvKit
