#include "os/wildcard.h"

#include <gtest/gtest.h>

namespace os {
namespace {

TEST(Wildcard, StarDotStarMatchesEveryNameEvenWithoutADot) {
    for (const char* name : {"README", "a.b", ".hidden", "x.tar.gz", "."}) {
        EXPECT_TRUE(MatchesSearchPattern("*.*", name)) << name;
        EXPECT_TRUE(MatchesSearchPattern("*", name)) << name;
    }
}

TEST(Wildcard, StarBeforeADotStopsAtTheLastDot) {
    EXPECT_TRUE(MatchesSearchPattern("*.gz", "archive.tar.gz"));
    EXPECT_TRUE(MatchesSearchPattern("*.tar.gz", "archive.tar.gz"));
    EXPECT_FALSE(MatchesSearchPattern("*.tar", "archive.tar.gz"));
    EXPECT_TRUE(MatchesSearchPattern("*.", "README"));
    EXPECT_FALSE(MatchesSearchPattern("*.", "a.txt"));
}

TEST(Wildcard, RevisionPatternsFindTheNumberedCopies) {
    EXPECT_TRUE(MatchesSearchPattern("Report.(*).doc", "Report.(1).doc"));
    EXPECT_TRUE(MatchesSearchPattern("Report.(*).doc", "report.(123).DOC"));
    EXPECT_FALSE(MatchesSearchPattern("Report.(*).doc", "Report.doc"));
    EXPECT_TRUE(MatchesSearchPattern("README.(*)", "README.(2)"));
    EXPECT_TRUE(MatchesSearchPattern("notes.(old).(*).txt", "notes.(old).(4).txt"));
    EXPECT_TRUE(MatchesSearchPattern("archive.tar.(*).gz", "archive.tar.(1).gz"));
}

TEST(Wildcard, QuestionMarksMayMatchNothingBeforeADotOrTheEnd) {
    EXPECT_TRUE(MatchesSearchPattern("ab?", "abc"));
    EXPECT_TRUE(MatchesSearchPattern("ab?", "ab"));
    EXPECT_FALSE(MatchesSearchPattern("ab?", "abcd"));
    EXPECT_TRUE(MatchesSearchPattern("???.txt", "ab.txt"));
    EXPECT_FALSE(MatchesSearchPattern("?.txt", "ab.txt"));
}

TEST(Wildcard, LettersCompareIgnoringCaseInAnyScript) {
    EXPECT_TRUE(MatchesSearchPattern("*.TXT", "notes.txt"));
    EXPECT_TRUE(MatchesSearchPattern("\xD0\x94*", "\xD0\xB4\xD0\xBE\xD0\xBC"));  // Д* matches дом
    EXPECT_FALSE(MatchesSearchPattern("exact", "exactly"));
    EXPECT_TRUE(HasWildcards("a*"));
    EXPECT_FALSE(HasWildcards("plain.txt"));
}

}  // namespace
}  // namespace os
