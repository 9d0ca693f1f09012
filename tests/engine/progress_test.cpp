#include "engine/progress.h"

#include <gtest/gtest.h>

#include <thread>

namespace engine {
namespace {

using Remaining = ProgressDisplay::Remaining;

TEST(ProgressState, ThePollNeverTakesBackThePasssHundred) {
    ProgressState state;
    EXPECT_TRUE(state.OfferPercent(40));
    EXPECT_EQ(state.percent, 40u);
    EXPECT_TRUE(state.OfferPercent(250));  // files that grew since the scan
    EXPECT_EQ(state.percent, 99u);
    state.percent = 100;  // the pass is over
    EXPECT_FALSE(state.OfferPercent(99));
    EXPECT_EQ(state.percent, 100u);
    // The pass says 100 while a poll is offering its figure: whichever comes first, 100 stays.
    for (int round = 0; round < 200; ++round) {
        ProgressState racing;
        std::thread poll([&] {
            while (racing.OfferPercent(static_cast<unsigned>(round % 99))) {
            }
        });
        racing.percent = 100;
        poll.join();
        EXPECT_EQ(racing.percent, 100u);
    }
}

TEST(ProgressEstimate, NothingCopiedShowsNoEstimateAndClosesAtTheEnd) {
    ProgressEstimate estimate(1000);
    for (uint64_t s = 1; s <= 60; ++s) {
        const ProgressDisplay d = estimate.Tick(1000 + s * 1000, 0, "", "");
        EXPECT_EQ(d.remaining, Remaining::None);
        EXPECT_FALSE(d.namesShown);
        EXPECT_FALSE(d.close);
    }
    EXPECT_TRUE(estimate.Tick(62000, 100, "", "").close);
    EXPECT_EQ(estimate.Tick(63000, 250, "", "").position, 100u);
}

// While the folders are compared the dialog counts them; the time left is then estimated from
// the copy's own time, not from the comparison's.
TEST(ProgressEstimate, TheComparisonCountsFoldersAndLeavesTheEstimateToTheCopy) {
    ProgressEstimate estimate(0);
    const ProgressDisplay comparing = estimate.Tick(300000, 0, "", "", 1234);
    EXPECT_TRUE(comparing.comparing);
    EXPECT_EQ(comparing.foldersCompared, 1234u);
    EXPECT_FALSE(comparing.namesShown);
    EXPECT_FALSE(comparing.close);
    // 50 % 20 s into the copy: 20 s left (not the 320 s since the dialog opened).
    const ProgressDisplay copying = estimate.Tick(320000, 50, "C:\\a\\b.txt", "F:\\a\\b.txt");
    EXPECT_FALSE(copying.comparing);
    EXPECT_TRUE(copying.namesShown);
    EXPECT_EQ(copying.remaining, Remaining::Seconds);
    EXPECT_EQ(copying.remainingValue, 20u);
    // Cancelled while comparing: the dialog closes.
    ProgressEstimate cancelled(0);
    EXPECT_TRUE(cancelled.Tick(5000, 100, "", "", 7).close);
}

TEST(ProgressEstimate, MinutesAreShownOnlyOnTenSecondTicks) {
    ProgressEstimate estimate(0);
    // 25 % after 41 s: 123 s left, but 41 is not a multiple of 10, so nothing shows yet.
    EXPECT_EQ(estimate.Tick(41000, 25, "C:\\a\\b.txt", "F:\\a\\b.txt").remaining, Remaining::None);
    ProgressEstimate onTheTen(0);
    const ProgressDisplay d = onTheTen.Tick(40000, 25, "C:\\a\\b.txt", "F:\\a\\b.txt");
    EXPECT_EQ(d.remaining, Remaining::Minutes);
    EXPECT_EQ(d.remainingValue, 2u);
    // The same percentage does not make a new estimate; the text stays.
    const ProgressDisplay later = onTheTen.Tick(43000, 25, "C:\\a\\b.txt", "F:\\a\\b.txt");
    EXPECT_EQ(later.remaining, Remaining::Minutes);
    EXPECT_EQ(later.remainingValue, 2u);
}

TEST(ProgressEstimate, SecondsShowAtOnceAndNoEstimateBeforeTenSeconds) {
    ProgressEstimate estimate(0);
    EXPECT_EQ(estimate.Tick(10000, 50, "x", "y").remaining, Remaining::None);
    const ProgressDisplay d = estimate.Tick(45000, 90, "C:\\a\\b.txt", "F:\\a\\b.txt");
    EXPECT_EQ(d.remaining, Remaining::Seconds);
    EXPECT_EQ(d.remainingValue, 5u);
}

TEST(ProgressEstimate, NamesAreTheFileAndItsFolder) {
    ProgressEstimate estimate(0);
    ProgressDisplay d = estimate.Tick(1000, 10, "C:\\Users\\Ann\\Documents\\report.doc",
                                      "F:\\Users\\Ann\\Documents\\report.doc");
    EXPECT_EQ(d.fileName, "report.doc");
    EXPECT_EQ(d.folderName, "Documents");
    d = estimate.Tick(2000, 10, "C:\\boot.ini", "F:\\boot.ini");
    EXPECT_EQ(d.folderName, "C:");
    d = estimate.Tick(2500, 10, "\\boot.ini", "F:\\boot.ini");  // a path of the current drive
    EXPECT_EQ(d.fileName, "boot.ini");
    EXPECT_EQ(d.folderName, "");
    ProgressEstimate between(0);  // between two files: no names yet
    EXPECT_FALSE(between.Tick(1000, 10, "C:\\boot.ini", "").namesShown);
    d = estimate.Tick(3000, 10, "C:\\" + std::string(40, 'f') + "\\x.txt", "F:\\x");
    EXPECT_EQ(d.folderName.size(), 40u);  // one component cannot be shortened: its name stays
}

}  // namespace
}  // namespace engine
