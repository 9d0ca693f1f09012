// The program's manifest makes it aware of each monitor's scale (Windows would otherwise stretch
// its windows, blurred); the test programs carry the same manifest.

#include <gtest/gtest.h>

#include "ui/common/drawing.h"

namespace ui {
namespace {

TEST(Dpi, TheProcessIsAwareOfEachMonitorsScale) {
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST(Dpi, PicturesAreTakenAtTheLargestScaleNotAboveTheScreens) {
    EXPECT_EQ(PictureForDpi(96, 1, 2, 3), 1u);
    EXPECT_EQ(PictureForDpi(120, 1, 2, 3), 1u);
    EXPECT_EQ(PictureForDpi(144, 1, 2, 3), 2u);
    EXPECT_EQ(PictureForDpi(168, 1, 2, 3), 2u);
    EXPECT_EQ(PictureForDpi(192, 1, 2, 3), 3u);
    EXPECT_EQ(PictureForDpi(288, 1, 2, 3), 3u);
}

}  // namespace
}  // namespace ui
