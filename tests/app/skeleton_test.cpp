// The program starts, shows itself to the desktop only through its hidden main window, and ends
// cleanly when that window is closed.

#include <gtest/gtest.h>

#include "tests/app/program_runner.h"

namespace endtoend {
namespace {

TEST(Program, StartsWithItsHiddenMainWindowAndEndsOnClose) {
    RunningProgram program;
    ASSERT_TRUE(program.started());
    HWND window = program.WaitForMainWindow(20000);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Corvant Ferrolin 2");
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    DWORD exitCode = 1;
    ASSERT_TRUE(program.WaitForExit(20000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), nullptr);
}

TEST(Program, CarriesItsIconAndTitleAsResources) {
    HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(116), MAKEINTRESOURCEW(14)),
              nullptr);  // RT_GROUP_ICON
    wchar_t title[64] = L"";
    EXPECT_GT(LoadStringW(image, 103, title, 64), 0);
    EXPECT_STREQ(title, L"Corvant Ferrolin 2");
    FreeLibrary(image);
}

}  // namespace
}  // namespace endtoend
