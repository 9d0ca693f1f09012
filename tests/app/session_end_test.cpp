// Session end with the schedule "only at shutdown": the first request is refused, a pass runs with
// its progress, and then the program shuts Windows down itself. Under Wine that shut-down ends
// every program of the prefix that has a window, so this test runs on its own, in a prefix of its
// own (see CMakeLists.txt); on Windows it would end the session of whoever runs it, so it runs
// under Wine only (the fixture skips it elsewhere).

#include <gtest/gtest.h>

#include "tests/app/program_fixture.h"

namespace endtoend {
namespace {

TEST_F(ProgramTest, SessionEndWithTheShutdownScheduleCopiesWithProgressAndEndsTheSession) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    configuration.scheduleType = 3;  // only at shutdown
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    // The first pass of a program that never copied. After it the worker resets its wake event
    // before it waits, and a session end in between would find the copy pending without a
    // pass: give it that moment.
    ASSERT_TRUE(WaitForStoredTimeOtherThan(0));
    Sleep(500);
    ASSERT_TRUE(RemoveTree(disk_->hostRoot() + L"\\" + folder_));

    DWORD_PTR answer = 7;
    ASSERT_TRUE(SendMessageTimeoutW(window_, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000, &answer));
    EXPECT_EQ(answer, 0u) << "the session end was not held for the copy";
    EXPECT_NE(WaitForDialogWithText(L"Corvant Ferrolin 2 is now copying"), nullptr);
    ASSERT_TRUE(WaitForDiskToMatchSource()) << CompareTrees(SourceTree(), DiskTree());
    // A second request while the copy is pending lets the session end.
    ASSERT_TRUE(SendMessageTimeoutW(window_, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000, &answer));
    EXPECT_EQ(answer, 1u);
    // Then the program shuts Windows down itself; Wine ends the prefix's programs for it.
    DWORD exitCode = 1;
    EXPECT_TRUE(program_->WaitForExit(kPassMs, exitCode)) << "the session did not end";
}

}  // namespace
}  // namespace endtoend
