// The application shell's decisions that need no running program: the command-line word and the
// start-up action, where the help pages are, which tray commands can be chosen, the animation's
// frame order, and the reading of packed bitmaps.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/command_line.h"
#include "app/help_pages.h"
#include "app/main_window.h"
#include "app/packed_dib.h"
#include "app/system_tray.h"

namespace app {
namespace {

TEST(StartWord, IsTheFirstPlainArgumentComparedExactly) {
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe"), StartWord::None);
    EXPECT_EQ(StartWordOf(L"\"C:\\Program Files\\Corvant\\Ferrolin2.exe\" StartUp"),
              StartWord::StartUp);
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe NoStartUp"), StartWord::NoStartUp);
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe startup"), StartWord::Other);
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe NOSTARTUP"), StartWord::Other);
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe StartUpNow"), StartWord::Other);
    // Options are not the word; only the first plain argument counts.
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe /dde -x NoStartUp StartUp"), StartWord::NoStartUp);
    EXPECT_EQ(StartWordOf(L"Ferrolin2.exe \"Start Up\" StartUp"), StartWord::Other);
    // The program's own path is never the word, even when it is one.
    EXPECT_EQ(StartWordOf(L"StartUp"), StartWord::None);
}

TEST(StartAction, FollowsConfigurationWordAndSwitch) {
    for (const StartWord word : {StartWord::None, StartWord::StartUp, StartWord::Other}) {
        EXPECT_EQ(DecideStartAction(false, word, 0), StartAction::RunSetupWizard);
        EXPECT_EQ(DecideStartAction(false, word, 1), StartAction::RunSetupWizard);
    }
    EXPECT_EQ(DecideStartAction(false, StartWord::NoStartUp, 1), StartAction::Nothing);
    // Started with Windows or by the installer: nothing, switched on or not.
    for (const StartWord word : {StartWord::StartUp, StartWord::NoStartUp}) {
        EXPECT_EQ(DecideStartAction(true, word, 0), StartAction::Nothing);
        EXPECT_EQ(DecideStartAction(true, word, 1), StartAction::Nothing);
    }
    // Started by the user while switched off: the settings, to switch it on.
    EXPECT_EQ(DecideStartAction(true, StartWord::None, 0), StartAction::OpenSettings);
    EXPECT_EQ(DecideStartAction(true, StartWord::Other, 0), StartAction::OpenSettings);
    EXPECT_EQ(DecideStartAction(true, StartWord::None, 1), StartAction::Nothing);
    EXPECT_EQ(DecideStartAction(true, StartWord::None, 7), StartAction::Nothing);
}

TEST(HelpPages, LieBesideTheProgramWhateverItsPathsLength) {
    EXPECT_EQ(PathBeside(L"C:\\Program Files\\Corvant\\Ferrolin2.exe", L"home.html"),
              L"C:\\Program Files\\Corvant\\home.html");
    EXPECT_EQ(PathBeside(L"C:\\Ferrolin2.exe", L"resource\\0201.html"), L"C:\\resource\\0201.html");
    EXPECT_EQ(PathBeside(L"Ferrolin2.exe", L"home.html"), L"home.html");
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\Ferrolin2.exe";
    EXPECT_EQ(PathBeside(deep, L"home.html"), L"C:\\" + std::wstring(300, L'd') + L"\\home.html");
    const std::wstring self = ProgramPath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(GetFileAttributesW(self.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(TrayMenu, CommandStatesFollowThePromptProgressAndPause) {
    const std::vector<UINT> commands = {kCommandOpen,  kCommandCopyChanged, kCommandCopyAll,
                                        kCommandAbout, kCommandHelp,        kCommandClose};
    for (const UINT command : commands) {
        EXPECT_TRUE(IsTrayCommandEnabled(command, {}));
        EXPECT_FALSE(IsTrayCommandEnabled(command, {.promptActive = true}));
        EXPECT_FALSE(IsTrayCommandEnabled(command, {.progressShown = true}));
        EXPECT_FALSE(IsTrayCommandEnabled(command, {.enginePaused = true}));
    }
    EXPECT_FALSE(IsTrayCommandEnabled(kCommandResume, {}));
    EXPECT_TRUE(IsTrayCommandEnabled(kCommandResume, {.enginePaused = true}));
    EXPECT_FALSE(
        IsTrayCommandEnabled(kCommandResume, {.progressShown = true, .enginePaused = true}));
}

TEST(TrayMenu, FrameCycleRunsThroughEveryFrameInTurn) {
    FrameCycle cycle;
    EXPECT_EQ(cycle.Advance(), SIZE_MAX);
    cycle.Restart(5);
    std::vector<size_t> shown;
    for (int i = 0; i < 12; ++i) {
        shown.push_back(cycle.Advance());
    }
    EXPECT_EQ(shown, (std::vector<size_t>{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1}));
    cycle.Restart(5);
    EXPECT_EQ(cycle.Advance(), 0u);
}

// A packed bitmap: header, colour table, pixels.
std::vector<unsigned char> PackedBitmap(int width, int height, int bits, uint32_t coloursUsed = 0,
                                        size_t cutAtEnd = 0) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biClrUsed = coloursUsed;
    const size_t entries = bits <= 8 ? (coloursUsed != 0 ? coloursUsed : size_t{1} << bits) : 0;
    const size_t stride = (static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32 * 4;
    std::vector<unsigned char> block(sizeof header + entries * 4 +
                                     stride * static_cast<size_t>(height < 0 ? -height : height));
    std::memcpy(block.data(), &header, sizeof header);
    for (size_t i = 0; i < entries; ++i) {
        block[sizeof header + i * 4] = static_cast<unsigned char>(i);            // blue
        block[sizeof header + i * 4 + 2] = static_cast<unsigned char>(255 - i);  // red
    }
    block.resize(block.size() - cutAtEnd);
    return block;
}

TEST(PackedDib, ReadsTheLayoutOfWholeBitmaps) {
    const auto eight = PackedBitmap(400, 240, 8);
    const auto layout = ReadPackedDib(eight.data(), eight.size());
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->width, 400);
    EXPECT_EQ(layout->height, 240);
    EXPECT_EQ(layout->bitCount, 8);
    ASSERT_EQ(layout->colourTable.size(), 256u);
    EXPECT_EQ(layout->colourTable[3].red, 252);
    EXPECT_EQ(layout->colourTable[3].blue, 3);
    EXPECT_EQ(layout->pixelsOffset, 40u + 1024u);

    const auto topDown = PackedBitmap(10, -7, 24);
    const auto top = ReadPackedDib(topDown.data(), topDown.size());
    ASSERT_TRUE(top.has_value());
    EXPECT_EQ(top->height, 7);
    EXPECT_TRUE(top->colourTable.empty());

    // A short colour table is read as long as it is, not as 2^bits entries.
    const auto shortTable = PackedBitmap(16, 16, 4, 3);
    const auto four = ReadPackedDib(shortTable.data(), shortTable.size());
    ASSERT_TRUE(four.has_value());
    EXPECT_EQ(four->colourTable.size(), 3u);
    EXPECT_EQ(four->pixelsOffset, 40u + 12u);

    // The old 12-byte header with its three-byte colour entries.
    std::vector<unsigned char> core(12 + 2 * 3 + 4 * 2, 0);
    core[0] = 12;
    core[4] = 5;             // width
    core[6] = 2;             // height
    core[8] = 1;             // planes
    core[10] = 1;            // bits
    core[12 + 3 + 2] = 200;  // second entry's red
    const auto old = ReadPackedDib(core.data(), core.size());
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->width, 5);
    ASSERT_EQ(old->colourTable.size(), 2u);
    EXPECT_EQ(old->colourTable[1].red, 200);
}

TEST(PackedDib, RefusesBlocksThatAreNotWholeBitmaps) {
    EXPECT_FALSE(ReadPackedDib(nullptr, 0).has_value());
    const auto whole = PackedBitmap(400, 240, 24);
    EXPECT_FALSE(ReadPackedDib(whole.data(), 3).has_value());
    EXPECT_FALSE(ReadPackedDib(whole.data(), 39).has_value());
    // Pixels cut short by one byte, or a colour table past the end.
    const auto cut = PackedBitmap(400, 240, 24, 0, 1);
    EXPECT_FALSE(ReadPackedDib(cut.data(), cut.size()).has_value());
    const auto table = PackedBitmap(4, 4, 8);
    EXPECT_FALSE(ReadPackedDib(table.data(), 40 + 100).has_value());
    // Sizes and depths no bitmap has.
    for (const auto& bad : {PackedBitmap(0, 10, 24), PackedBitmap(10, 0, 24),
                            PackedBitmap(40000, 1, 1), PackedBitmap(4, 4, 7)}) {
        EXPECT_FALSE(ReadPackedDib(bad.data(), bad.size()).has_value());
    }
    auto oddHeader = PackedBitmap(4, 4, 24);
    oddHeader[0] = 20;
    EXPECT_FALSE(ReadPackedDib(oddHeader.data(), oddHeader.size()).has_value());
    auto compressed = PackedBitmap(4, 4, 24);
    compressed[16] = 9;  // an unknown compression
    EXPECT_FALSE(ReadPackedDib(compressed.data(), compressed.size()).has_value());
    // A height whose pixel size overflows 32 bits is still measured in 64.
    auto huge = PackedBitmap(4, 4, 32);
    const int32_t width = 32767;
    std::memcpy(huge.data() + 4, &width, 4);
    std::memcpy(huge.data() + 8, &width, 4);
    EXPECT_FALSE(ReadPackedDib(huge.data(), huge.size()).has_value());
}

TEST(PackedDib, VariantFollowsTheColourDepth) {
    EXPECT_EQ(BitmapVariantName("IDB_SPLASH", 1), "IDB_SPLASH4");
    EXPECT_EQ(BitmapVariantName("IDB_SPLASH", 4), "IDB_SPLASH4");
    EXPECT_EQ(BitmapVariantName("IDB_SPLASH", 7), "IDB_SPLASH4");
    EXPECT_EQ(BitmapVariantName("IDB_SPLASH", 8), "IDB_SPLASH8");
    EXPECT_EQ(BitmapVariantName("IDB_SPLISH", 15), "IDB_SPLISH8");
    EXPECT_EQ(BitmapVariantName("IDB_SPLASH", 16), "IDB_SPLASH24");
    EXPECT_EQ(BitmapVariantName("IDB_SPLASH", 32), "IDB_SPLASH24");
}

// Only true-colour pictures come in larger sizes; between the sizes the smaller one is taken.
TEST(PackedDib, ScaledVariantFollowsTheScreensDotsPerInch) {
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH24", 96), "IDB_SPLASH24");
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH24", 143), "IDB_SPLASH24");
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH24", 144), "IDB_SPLASH24_150");
    EXPECT_EQ(ScaledVariantName("IDB_SPLISH24", 191), "IDB_SPLISH24_150");
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH24", 192), "IDB_SPLASH24_200");
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH24", 288), "IDB_SPLASH24_200");
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH8", 192), "IDB_SPLASH8");
    EXPECT_EQ(ScaledVariantName("IDB_SPLASH4", 144), "IDB_SPLASH4");
}

}  // namespace
}  // namespace app
