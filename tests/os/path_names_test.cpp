// How Win32 calls read a path, and which names cannot be copied as they are.

#include "os/path_names.h"

#include <gtest/gtest.h>

#include "os/errors.h"

namespace os {
namespace {

std::string Normalized(std::string_view path, bool pattern = false) {
    NormalizedPath out;
    const uint32_t error = NormalizePath(path, pattern, out);
    return error != 0 ? "error " + std::to_string(error) : out.Full();
}

TEST(NormalizePath, ReadsPathsAsWin32CallsDo) {
    EXPECT_EQ(Normalized("c:\\Data\\a.txt"), "C:\\Data\\a.txt");
    EXPECT_EQ(Normalized("C:/Data//Sub/./x/../b.txt"), "C:\\Data\\Sub\\b.txt");
    EXPECT_EQ(Normalized("C:\\..\\..\\a"), "C:\\a");  // never above the volume
    EXPECT_EQ(Normalized("C:"), "C:\\");
    EXPECT_EQ(Normalized("C:\\notes. . .\\CON"), "C:\\notes\\CON");
    EXPECT_EQ(Normalized("\\\\srv\\Share\\x"), "\\\\SRV\\SHARE\\x");
    EXPECT_EQ(Normalized("//srv/share"), "\\\\SRV\\SHARE\\");
    EXPECT_EQ(Normalized("\\\\srv"), "error 161");
    EXPECT_EQ(Normalized("Data\\a.txt"), "error 123");
    EXPECT_EQ(Normalized("C:\\a<b"), "error 123");
    EXPECT_EQ(Normalized("C:\\" + std::string(256, 'n')), "error 123");
    EXPECT_EQ(Normalized("C:\\a\\b\xC3"), "error 123");  // cut in the middle of a character
}

TEST(NormalizePath, TakesExtendedPathsLiterallyAndPatternsWithTheirDots) {
    EXPECT_EQ(Normalized("\\\\?\\C:\\Data\\notes. "), "C:\\Data\\notes. ");
    EXPECT_EQ(Normalized("\\\\?\\C:\\a/b"), "error 123");  // "/" is no separator there
    EXPECT_EQ(Normalized("\\\\?\\UNC\\srv\\share\\x."), "\\\\SRV\\SHARE\\x.");
    EXPECT_EQ(Normalized("C:\\Data\\*.", true), "C:\\Data\\*.");
    EXPECT_EQ(Normalized("C:\\D*\\x", true), "error 123");  // wildcards in the last name only
}

TEST(NameProblems, NamesTheDiskOrTheSystemCannotTake) {
    EXPECT_EQ(ProblemOfName("report.doc"), NameProblem::None);
    EXPECT_EQ(ProblemOfName("notes."), NameProblem::TrailingDotOrSpace);
    EXPECT_EQ(ProblemOfName("notes "), NameProblem::TrailingDotOrSpace);
    for (const char* device : {"CON", "con.txt", "Nul.tar.gz", "AUX .txt", "com1", "LPT9.doc",
                               "COM\xC2\xB9", "CONOUT$"}) {
        EXPECT_EQ(ProblemOfName(device), NameProblem::ReservedDevice) << device;
    }
    for (const char* fine : {"CONSOLE", "com10", "LPT", "xCON", "COM1x.txt", ".con"}) {
        EXPECT_EQ(ProblemOfName(fine), NameProblem::None) << fine;
    }
    EXPECT_EQ(ProblemOfName("a:b"), NameProblem::InvalidCharacter);
    EXPECT_EQ(ProblemOfName(std::string("a\x01", 2)), NameProblem::InvalidCharacter);
    EXPECT_EQ(ProblemOfName(std::string(64, 'n'), 64), NameProblem::None);
    EXPECT_EQ(ProblemOfName(std::string(65, 'n'), 64), NameProblem::TooLong);
    // Units, not bytes: 64 Cyrillic letters are 128 bytes and fit 64.
    std::string cyrillic;
    for (int i = 0; i < 64; ++i) {
        cyrillic += "\xD0\x96";
    }
    EXPECT_EQ(ProblemOfName(cyrillic, 64), NameProblem::None);
}

TEST(NameProblems, TheFirstBadNameOfAPathBelowItsVolume) {
    std::string name;
    EXPECT_EQ(ProblemOfPath("C:\\Data\\Sub\\a.txt", 255, &name), NameProblem::None);
    EXPECT_EQ(ProblemOfPath("\\\\?\\C:\\Data\\old. \\CON", 255, &name),
              NameProblem::TrailingDotOrSpace);
    EXPECT_EQ(name, "old. ");
    EXPECT_EQ(ProblemOfPath("\\\\srv\\CON\\x\\nul", 255, &name), NameProblem::ReservedDevice);
    EXPECT_EQ(name, "nul");  // the share's own name is the server's business
}

}  // namespace
}  // namespace os
