// The texts the drive library makes of a drive's facts: figures in decimal, identifiers, label
// texts and icons.

#include "drivekit/drvkit_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "drivekit/drvkit_types.h"

namespace drvKit {
namespace {

TEST(QWordTest, WritesEveryValueInDecimalAtItsFullWidth) {
    char buffer[260];
    EXPECT_STREQ(QWord(0).toDecDigits(buffer, 260), "0");
    EXPECT_STREQ(QWord(7).toDecDigits(buffer, 260), "7");
    EXPECT_STREQ(QWord(4294967296ULL).toDecDigits(buffer, 260), "4294967296");  // past 32 bits
    EXPECT_STREQ(QWord(UINT64_MAX).toDecDigits(buffer, 260), "18446744073709551615");
    EXPECT_EQ(QWord(250ULL << 20).toDecString(), "262144000");
}

TEST(QWordTest, ABufferTooSmallGetsNoCutOffNumber) {
    char buffer[4];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_STREQ(QWord(1234).toDecDigits(buffer, 4), "");  // needs 5 with the NUL
    EXPECT_STREQ(QWord(123).toDecDigits(buffer, 4), "123");
    char guard[3] = {'x', 'x', 'x'};
    QWord(99).toDecDigits(guard, 2);  // nothing written past the size given
    EXPECT_EQ(guard[0], '\0');
    EXPECT_EQ(guard[2], 'x');
    EXPECT_STREQ(QWord(5).toDecDigits(nullptr, 260), "");
    EXPECT_STREQ(QWord(5).toDecDigits(buffer, 0), "");
}

TEST(VolumeSerialTest, ReadsAsVolShowsIt) {
    EXPECT_EQ(FormatVolumeSerial(0x1234ABCD), "1234-ABCD");
    EXPECT_EQ(FormatVolumeSerial(0x1234abcd), "1234-ABCD");
    EXPECT_EQ(FormatVolumeSerial(0), "0000-0000");
    EXPECT_EQ(FormatVolumeSerial(0x000000FF), "0000-00FF");
    EXPECT_EQ(FormatVolumeSerial(0xFFFFFFFF), "FFFF-FFFF");
    // An identifier is never the "no disk chosen" value of the settings.
    EXPECT_NE(FormatVolumeSerial(0), "0");
}

TEST(LabelTextTest, ShowsTheLabelOrTheKindWithTheLetter) {
    EXPECT_EQ(LabelText("BACKUP1", kKindRemovableDisk, 'F'), "BACKUP1 (F:)");
    EXPECT_EQ(LabelText("", kKindRemovableDisk, 'F'), "Removable Disk (F:)");
    EXPECT_EQ(LabelText("", kKindCD, 'e'), "CD Drive (E:)");
    EXPECT_EQ(LabelText("Fotos 2024", kKindUsbDrive, 'g'), "Fotos 2024 (G:)");
    EXPECT_EQ(LabelText("Sauvegarde été", kKindRemovableDisk, 'H'), "Sauvegarde été (H:)");
}

TEST(LabelTextTest, BlanksAndControlCharactersDoNotMakeALabel) {
    EXPECT_EQ(LabelText("BACKUP1    ", kKindRemovableDisk, 'F'), "BACKUP1 (F:)");  // FAT pads
    EXPECT_EQ(LabelText("   ", kKindRemovableDisk, 'F'), "Removable Disk (F:)");
    EXPECT_EQ(LabelText("A\tB\r\n", kKindRemovableDisk, 'F'), "A B (F:)");
    EXPECT_EQ(LabelText(std::string("X\0Y", 3), kKindRemovableDisk, 'F'), "X Y (F:)");
    EXPECT_EQ(LabelText("\x01\x1f", kKindFloppy, 'A'), "Floppy Disk Drive (A:)");
}

TEST(LabelTextTest, ANonLetterAddsNoDrivePart) {
    EXPECT_EQ(LabelText("BACKUP1", kKindRemovableDisk, '\0'), "BACKUP1");
    EXPECT_EQ(LabelText("BACKUP1", kKindRemovableDisk, '1'), "BACKUP1");
}

TEST(DriveLetterTest, RootPathsOfLettersOnly) {
    EXPECT_EQ(RootPathOf('e'), "E:\\");
    EXPECT_EQ(RootPathOf('Z'), "Z:\\");
    EXPECT_EQ(RootPathOf('@'), "");
    EXPECT_EQ(RootPathOf('['), "");
    EXPECT_EQ(RootPathOf('\xE9'), "");
    EXPECT_EQ(NormalizeDriveLetter('j'), 'J');
    EXPECT_EQ(NormalizeDriveLetter(':'), '\0');
}

TEST(IconTest, EachSubFamilyHasItsIconAndOthersNone) {
    const int expected[][2] = {{1, 119}, {2, 125}, {3, 122},  {4, 123}, {5, 120},
                               {6, 124}, {7, 121}, {11, 126}, {15, 126}};
    for (const auto& [subFamily, icon] : expected) {
        EXPECT_EQ(IconForSubFamily(subFamily), icon) << "sub-family " << subFamily;
    }
    for (int subFamily : {0, 8, 9, 10, 12, 13, 14, 16, -1, 255}) {
        EXPECT_EQ(IconForSubFamily(subFamily), 0) << "sub-family " << subFamily;
    }
}

TEST(ProtectStateTest, WritableAndPasswordStatesAsCallersTreatThem) {
    for (uint32_t state : {0u, 4u, 5u, 6u, 7u}) {
        EXPECT_FALSE(IsProtectedState(state)) << state;
        EXPECT_FALSE(NeedsPassword(state)) << state;
    }
    EXPECT_TRUE(IsProtectedState(1));
    EXPECT_FALSE(NeedsPassword(1));
    for (uint32_t state : {2u, 3u}) {
        EXPECT_TRUE(IsProtectedState(state)) << state;
        EXPECT_TRUE(NeedsPassword(state)) << state;
    }
    EXPECT_FALSE(IsProtectedState(8));
}

}  // namespace
}  // namespace drvKit
