#include "ui/common/pie_geometry.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

using Kind = PieShape::Kind;

TEST(PieShape, NoPercentShowsOnlyTheRestColour) {
    EXPECT_EQ(ComputePieShape(0, 0, 100, 100, 0).kind, Kind::RestOnly);
    // An odd height puts the truncated start a pixel above the top; still no wedge.
    EXPECT_EQ(ComputePieShape(10, 20, 71, 81, 0).kind, Kind::RestOnly);
    EXPECT_EQ(ComputePieShape(0, 0, 60, 59, 0).kind, Kind::RestOnly);
}

TEST(PieShape, FullPercentShowsOnlyTheSliceColour) {
    EXPECT_EQ(ComputePieShape(0, 0, 100, 100, 100).kind, Kind::SliceOnly);
}

TEST(PieShape, QuarterRunsFromTwelveToThreeOClock) {
    const PieShape shape = ComputePieShape(0, 0, 100, 100, 25);
    ASSERT_EQ(shape.kind, Kind::Wedge);
    // The arc is drawn counter-clockwise from three o'clock back to twelve.
    EXPECT_EQ(shape.startX, 99);
    EXPECT_EQ(shape.startY, 49);
    EXPECT_EQ(shape.endX, 50);
    EXPECT_EQ(shape.endY, 0);
}

TEST(PieShape, HalfAndThreeQuartersEndAtSixAndNine) {
    const PieShape half = ComputePieShape(0, 0, 100, 100, 50);
    EXPECT_EQ(half.kind, Kind::Wedge);
    EXPECT_NEAR(half.startX, 50, 1);
    EXPECT_NEAR(half.startY, 100, 1);
    const PieShape threeQuarters = ComputePieShape(0, 0, 100, 100, 75);
    EXPECT_NEAR(threeQuarters.startX, 0, 1);
    EXPECT_NEAR(threeQuarters.startY, 50, 1);
}

TEST(PieShape, OnePercentIsAWedgeAndNinetyNineStopsShortOfTheTop) {
    const PieShape one = ComputePieShape(0, 0, 100, 100, 1);
    EXPECT_EQ(one.kind, Kind::Wedge);
    EXPECT_GT(one.startX, 50);
    const PieShape almost = ComputePieShape(0, 0, 100, 100, 99);
    EXPECT_EQ(almost.kind, Kind::Wedge);
    EXPECT_LT(almost.startX, 50);
}

TEST(PieShape, PercentagesOutsideTheRangeShowTheNearestPicture) {
    EXPECT_EQ(ComputePieShape(0, 0, 100, 100, -5).kind, Kind::RestOnly);
    EXPECT_EQ(ComputePieShape(0, 0, 100, 100, 250).kind, Kind::SliceOnly);
}

TEST(PieShape, AnOffsetRectangleKeepsItsOwnCentre) {
    const PieShape shape = ComputePieShape(200, 100, 260, 140, 25);
    EXPECT_EQ(shape.endX, 230);
    EXPECT_EQ(shape.endY, 100);
    EXPECT_EQ(shape.startX, 259);
    EXPECT_EQ(shape.startY, 119);
}

}  // namespace
}  // namespace ui
