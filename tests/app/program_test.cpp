// The real Ferrolin2.exe under Wine, seen only from outside: its registry values, its windows and
// their messages, its retry list and the files on a backup disk in an emulated removable drive.
// Each test starts the program on a configuration of its own and checks what lands on the disk.

#include <gtest/gtest.h>

#include <string>

#include "os/win32/wide_text.h"
#include "tests/app/program_fixture.h"

namespace endtoend {
namespace {

TEST_F(ProgramTest, ConfiguredStartCopiesTheSourceFolderWithItsPathsContentsAndTimes) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    configuration.scheduleType = 0;  // every change
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();

    // A first pass of a program that has never copied shows its progress.
    EXPECT_NE(WaitForDialogWithText(L"Corvant Ferrolin 2 is now copying"), nullptr)
        << "no progress dialog during the first copy";
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0)) << "the first pass stored no last-sync time";
    EXPECT_EQ(CompareTrees(SourceTree(), DiskTree()), "");
    EXPECT_GE(*ReadStartTime(), NewestWrite(SourceTree()));
    EXPECT_TRUE(program_->IsRunning());
}

TEST_F(ProgramTest, CopyChangedFilesCopiesTheChangeAndMovesTheLastSyncTime) {
    MakeSourceFiles();
    ASSERT_TRUE(WriteConfiguration(BaseConfiguration()));
    Start();
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));
    ASSERT_EQ(CompareTrees(SourceTree(), DiskTree()), "");
    const uint64_t firstTime = *ReadStartTime();

    // A changed file and a new one, both newer than the last copy.
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const uint64_t changeTime =
        (static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - kHour;
    AddFile(L"notes.txt", "Shopping: bread, milk, apples\r\n", changeTime);
    AddFile(L"Letters\\New letter.txt", "Dear Sam,\r\n", changeTime + 1);
    Command(kCommandCopyChanged);

    ASSERT_TRUE(WaitForStoredTimeOtherThan(firstTime)) << "40010 ran no pass";
    EXPECT_EQ(CompareTrees(SourceTree(), DiskTree()), "");
    EXPECT_GE(*ReadStartTime(), changeTime + 1);
}

// What stays on the disk untouched shows that only the change was copied. Under Wine every file
// keeps its archive attribute (it cannot be cleared), so every scan finds every file and the
// pass copies them all again: there this cannot be seen.
TEST_F(ProgramTest, CopyChangedFilesLeavesUnchangedCopiesAlone) {
    if (winetest::RunningUnderWine()) {
        GTEST_SKIP() << "Wine cannot clear the archive attribute, so every pass copies every file";
    }
    MakeSourceFiles();
    ASSERT_TRUE(WriteConfiguration(BaseConfiguration()));
    Start();
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));
    const uint64_t firstTime = *ReadStartTime();
    const std::wstring copy = disk_->hostRoot() + L"\\" + folder_ + L"\\Photos\\empty.dat";
    ASSERT_TRUE(WriteFileBytes(copy, "marker"));
    AddFile(L"notes.txt", "changed\r\n", firstTime + kHour);
    Command(kCommandCopyChanged);
    ASSERT_TRUE(WaitForStoredTimeOtherThan(firstTime));
    EXPECT_EQ(ReadFileBytes(copy).value_or(""), "marker");
}

TEST_F(ProgramTest, CompleteCopyCopiesEverythingAgainAndStoresTheNewestTime) {
    MakeSourceFiles();
    ASSERT_TRUE(WriteConfiguration(BaseConfiguration()));
    Start();
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));

    // A last-sync time in the far future and an empty disk: only a copy from time zero brings
    // the files back, and it stores the newest time it copied.
    const uint64_t future = kJanuary2024 + 100000 * kHour;
    ASSERT_TRUE(WriteStartTime(future));
    ASSERT_TRUE(RemoveTree(disk_->hostRoot() + L"\\" + folder_));
    Command(kCommandCopyAll);

    ASSERT_TRUE(WaitForStoredTimeOtherThan(future)) << "40011 ran no pass";
    EXPECT_LT(*ReadStartTime(), future);
    EXPECT_GE(*ReadStartTime(), NewestWrite(SourceTree()));
    EXPECT_EQ(CompareTrees(SourceTree(), DiskTree()), "");
}

TEST_F(ProgramTest, SecondStartHandsOverToTheRunningInstanceAndEnds) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024 + 1000 * kHour;  // nothing to copy at start
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    const DWORD firstProcess = program_->processId();

    RunningProgram second;
    ASSERT_TRUE(second.started());
    DWORD exitCode = 1;
    ASSERT_TRUE(second.WaitForExit(kStartMs, exitCode)) << "the second instance keeps running";
    EXPECT_EQ(exitCode, 0u);
    // The running instance heard 0x401 and opens its settings: the splash before the sheet.
    EXPECT_TRUE(
        WaitUntil([&] { return program_->FindWindowOfProcess(L"FerrolinSplashWindow") != nullptr; },
                  10000, 10))
        << "the running instance did not open its settings";
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), window_);
    DWORD owner = 0;
    GetWindowThreadProcessId(FindWindowW(kMainWindowClass, nullptr), &owner);
    EXPECT_EQ(owner, firstProcess);
}

TEST_F(ProgramTest, TrayIconFollowsIconStatus) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024;
    configuration.iconStatus = 1;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(window_, kTrayIconId); }, 10000))
        << "no tray icon with \"Icon Status\" 1";
    program_.reset();

    configuration.iconStatus = 0;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    // The engine runs all the same; give the icon the time it had above to appear.
    Sleep(1000);
    EXPECT_FALSE(TrayIconExists(window_, kTrayIconId)) << "a tray icon with \"Icon Status\" 0";
    EXPECT_TRUE(program_->IsRunning());
}

TEST_F(ProgramTest, CloseAsksBeforeTurningTheProgramOffAndCancelKeepsItRunning) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();

    Command(kCommandClose);
    HWND notice = WaitForDialogWithText(L"You are about to turn Corvant Ferrolin 2 off.");
    ASSERT_NE(notice, nullptr) << "Close did not ask with dialog 135";
    ClickButton(notice, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice); }, 5000));
    Sleep(500);
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), window_);

    // WM_CLOSE asks the same; OK ends the program cleanly.
    ASSERT_TRUE(PostMessageW(window_, WM_CLOSE, 0, 0));
    notice = WaitForDialogWithText(L"You are about to turn Corvant Ferrolin 2 off.");
    ASSERT_NE(notice, nullptr);
    ClickButton(notice, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_->WaitForExit(kStartMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(ReadDword(L"Mirror Status").value_or(7), 1u);  // Close stores nothing
}

TEST_F(ProgramTest, CloseOfASwitchedOffProgramEndsWithoutAsking) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    // The program reads its switch after its window is up: the tray icon follows that reading.
    ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(window_, kTrayIconId); }, kStartMs));
    ASSERT_TRUE(WriteDword(L"Mirror Status", 0));
    Command(kCommandClose);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_->WaitForExit(kStartMs, exitCode)) << "Close did not end the program";
    EXPECT_EQ(exitCode, 0u);
}

// Windows ends the program soon after WM_ENDSESSION, without its usual exit: the files still to
// be copied must be in the retry list's file by then.
TEST_F(ProgramTest, SessionEndWithoutAShutdownCopyIsAllowedAndKeepsTheRetryList) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    configuration.scheduleType = 1;
    configuration.atShutdown = 0;
    ASSERT_TRUE(WriteConfiguration(configuration));
    const std::wstring busy = Source(L"notes.txt");
    HANDLE held = CreateFileW(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));

    DWORD_PTR answer = 7;
    ASSERT_TRUE(SendMessageTimeoutW(window_, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000, &answer));
    EXPECT_EQ(answer, 1u);
    ASSERT_TRUE(SendMessageTimeoutW(window_, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &answer));
    program_->Kill();  // as the system does
    CloseHandle(held);
    const std::optional<std::string> log = ReadFileBytes(RetryLogPath());
    ASSERT_TRUE(log.has_value()) << "the retry list was lost with the session";
    EXPECT_NE(log->find(os::win32::Narrow(busy)), std::string::npos);
}

TEST_F(ProgramTest, MissingDiskIsAskedForAndTheCopyFollowsItsInsertion) {
    MakeSourceFiles();
    ASSERT_TRUE(WriteConfiguration(BaseConfiguration()));
    ASSERT_TRUE(disk_->Eject());
    Start();

    const HWND prompt = WaitForDialogWithText(L"There is no disk in the drive.", kPassMs);
    ASSERT_NE(prompt, nullptr) << "no prompt for the missing disk";
    EXPECT_EQ(ReadStartTime().value_or(7), 0u);
    ASSERT_TRUE(disk_->Insert());
    ClickButton(prompt, IDOK);  // "Insert my Corvant Ferrolin 2 disk now and continue."

    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));
    EXPECT_EQ(CompareTrees(SourceTree(), DiskTree()), "");
}

TEST_F(ProgramTest, BusyFileIsKeptInTheRetryListAcrossARestart) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    ASSERT_TRUE(WriteConfiguration(configuration));
    // Held open without sharing for the whole first run: the copier cannot read it.
    const std::wstring busy = Source(L"Work\\2024\\Q1\\report.txt");
    HANDLE held = CreateFileW(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));
    const std::map<std::wstring, FileFacts> firstCopy = DiskTree();
    EXPECT_EQ(firstCopy.count(L"Work\\2024\\Q1\\report.txt"), 0u);
    EXPECT_EQ(firstCopy.count(L"notes.txt"), 1u);

    ASSERT_TRUE(WriteDword(L"Mirror Status", 0));
    Command(kCommandClose);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_->WaitForExit(kStartMs, exitCode));
    CloseHandle(held);
    const std::optional<std::string> log = ReadFileBytes(RetryLogPath());
    ASSERT_TRUE(log.has_value()) << "no retry list was saved at exit";
    // One record: a count, the path's length and its bytes.
    const std::string path = os::win32::Narrow(busy);
    std::string expected(8, '\0');
    expected[0] = 1;
    expected[4] = static_cast<char>(path.size());
    EXPECT_EQ(*log, expected + path);

    // The next run reads the list, deletes the file and copies what was busy.
    ASSERT_TRUE(WriteDword(L"Mirror Status", 1));
    Start();
    EXPECT_TRUE(WaitUntil([&] { return !ReadFileBytes(RetryLogPath()).has_value(); }, kStartMs));
    // A wake that arrives while the engine's worker is still starting can be lost: ask again
    // until a pass has run.
    bool copied = false;
    for (int attempt = 0; attempt < 4 && !copied; ++attempt) {
        Command(kCommandCopyChanged);
        copied =
            WaitUntil([&] { return CompareTrees(SourceTree(), DiskTree()).empty(); }, 12000, 200);
    }
    EXPECT_TRUE(copied) << CompareTrees(SourceTree(), DiskTree());
}

class UnconfiguredProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!winetest::RunningUnderWine()) {
            GTEST_SKIP() << "the program's prefix exists under Wine only";
        }
        EndLeftoverInstances();
        DeleteProgramKey();
    }
    void TearDown() override { EndLeftoverInstances(); }
};

TEST_F(UnconfiguredProgramTest, NoStartUpEndsWithoutTheSetupWizard) {
    RunningProgram program(L"NoStartUp");
    ASSERT_TRUE(program.started());
    DWORD exitCode = 1;
    ASSERT_TRUE(program.WaitForExit(kStartMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// Every start but "NoStartUp" leads through the splash to the setup wizard ("startup" is not
// the word "StartUp"); the wizard left with Cancel ends the program unconfigured.
TEST_F(UnconfiguredProgramTest, OtherStartsLeadToTheSetupWizardAndEndUnconfiguredOnCancel) {
    for (const char* arguments : {"", "StartUp", "startup"}) {
        SCOPED_TRACE(testing::Message() << "arguments \"" << arguments << "\"");
        RunningProgram program(std::wstring(arguments, arguments + strlen(arguments)));
        ASSERT_TRUE(program.started());
        EXPECT_TRUE(WaitUntil(
            [&] { return program.FindWindowOfProcess(L"FerrolinSplashWindow") != nullptr; },
            kStartMs, 10))
            << "no splash before the setup wizard";
        HWND wizard = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                wizard = program.FindWindowOfProcess(L"#32770", L"Corvant Ferrolin 2 is an easy");
                return wizard != nullptr;
            },
            kStartMs))
            << "no setup wizard";
        PostMessageW(GetDlgItem(wizard, IDCANCEL), BM_CLICK, 0, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(program.WaitForExit(kStartMs, exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_FALSE(ReadDword(L"Mirror Status").has_value());
    }
}

TEST(ProgramImage, CarriesItsIconTitleAndHelpPages) {
    HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(116), MAKEINTRESOURCEW(14)),
              nullptr);  // RT_GROUP_ICON
    wchar_t title[64] = L"";
    EXPECT_GT(LoadStringW(image, 103, title, 64), 0);
    EXPECT_STREQ(title, kProgramTitle);
    FreeLibrary(image);

    // Every page the program and its windows open lies beside it.
    const std::wstring program = ProgramPath();
    const std::wstring folder = program.substr(0, program.rfind(L'\\') + 1);
    for (const wchar_t* page :
         {L"home.html", L"index.html", L"resource\\0101.html", L"resource\\0102.html",
          L"resource\\0103.html", L"resource\\0104.html", L"resource\\0105.html",
          L"resource\\0106.html", L"resource\\0107.html", L"resource\\0201.html",
          L"resource\\0201a.html", L"resource\\0202.html", L"resource\\0202a.html",
          L"resource\\0203.html"}) {
        const std::optional<std::string> text = ReadFileBytes(folder + page);
        ASSERT_TRUE(text.has_value()) << "missing help page";
        EXPECT_NE(text->find("</html>"), std::string::npos);
    }
}

}  // namespace
}  // namespace endtoend
