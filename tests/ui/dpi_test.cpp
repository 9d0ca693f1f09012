// The program's manifest makes it aware of each monitor's scale (Windows would otherwise stretch
// its windows, blurred); the test programs carry the same manifest.

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/base_dialog.h"
#include "ui/common/dpi_picture.h"
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

// Each picture of the wizard (and the General page's protection pictures) is there at 150 and 200
// per cent under the name the code asks for, that much larger.
TEST(Dpi, TheWizardsAndPagesPicturesAreDrawnForEachScale) {
    test::InitialiseUserInterface();
    const struct {
        UINT at100;
        const wchar_t* name;
    } pictures[] = {
        {IDB_WELCOME, L"IDB_WELCOME"},         {IDB_CONGRATULATIONS, L"IDB_CONGRATULATIONS"},
        {IDB_DISK_LABEL, L"IDB_DISK_LABEL"},   {IDB_LEGEND_USED, L"IDB_LEGEND_USED"},
        {IDB_LEGEND_FREE, L"IDB_LEGEND_FREE"}, {IDB_PROTECTED, L"IDB_PROTECTED"},
        {IDB_UNPROTECTED, L"IDB_UNPROTECTED"}};
    for (const auto& picture : pictures) {
        const HBITMAP small = LoadPictureForDpi(picture.at100, picture.name, 96, 0);
        const SIZE size = BitmapSize(small);
        ASSERT_GT(size.cx, 0) << picture.at100;
        for (const UINT dpi : {144u, 192u}) {
            const HBITMAP large = LoadPictureForDpi(picture.at100, picture.name, dpi, 0);
            const SIZE scaled = BitmapSize(large);
            EXPECT_EQ(scaled.cx, ScaleToDpi(size.cx, dpi)) << picture.at100 << " at " << dpi;
            EXPECT_EQ(scaled.cy, ScaleToDpi(size.cy, dpi)) << picture.at100 << " at " << dpi;
            DeleteObject(large);
        }
        DeleteObject(small);
    }
    // A picture without larger art stays itself.
    const HBITMAP logo = LoadPictureForDpi(IDB_LOGO, L"IDB_NOT_THERE", 192, 0);
    EXPECT_EQ(BitmapSize(logo).cx, 214);
    DeleteObject(logo);
}

// A picture control takes the larger picture and its size when the picture fits its room, else
// the next smaller; below 150 per cent, or without the control, nothing changes.
TEST(Dpi, APictureControlShowsThePictureForItsScaleThatFitsItsRoom) {
    test::InitialiseUserInterface();
    CKRVBaseDlg dialog(IDD_SETUP_DONE);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND picture = GetDlgItem(dialog.hwnd(), IDC_DONE_PICTURE);
    const auto clientSize = [picture] {
        RECT client = {};
        GetClientRect(picture, &client);
        return SIZE{client.right, client.bottom};
    };
    const auto shown = [picture] {
        return BitmapSize(
            reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    };
    // Room in dialog units for a picture of this many pixels.
    const auto roomFor = [&dialog](int width, int height) {
        RECT units = {0, 0, 100, 100};
        MapDialogRect(dialog.hwnd(), &units);
        return SIZE{MulDiv(width, 100, units.right) + 1, MulDiv(height, 100, units.bottom) + 1};
    };
    const SIZE small = shown();
    const SIZE before = clientSize();
    const SIZE room150 = roomFor(ScaleToDpi(small.cx, 144), ScaleToDpi(small.cy, 144));
    const SIZE room200 = roomFor(ScaleToDpi(small.cx, 192), ScaleToDpi(small.cy, 192));

    ShowPictureForDpi(dialog.hwnd(), IDC_DONE_PICTURE, 120, IDB_WELCOME, L"IDB_WELCOME", room200);
    EXPECT_EQ(shown().cx, small.cx);
    ShowPictureForDpi(dialog.hwnd(), 4711, 192, IDB_WELCOME, L"IDB_WELCOME", room200);
    // Too little room even for 150 per cent: the picture stays.
    ShowPictureForDpi(dialog.hwnd(), IDC_DONE_PICTURE, 192, IDB_WELCOME, L"IDB_WELCOME",
                      {room150.cx, room150.cy / 2});
    EXPECT_EQ(shown().cx, small.cx);
    // Room for 150 but not 200 per cent on a screen of 200.
    ShowPictureForDpi(dialog.hwnd(), IDC_DONE_PICTURE, 192, IDB_WELCOME, L"IDB_WELCOME", room150);
    EXPECT_EQ(shown().cx, ScaleToDpi(small.cx, 144));
    EXPECT_EQ(shown().cy, ScaleToDpi(small.cy, 144));
    // The control grows with the picture (its edge, if any, stays as it was).
    EXPECT_EQ(clientSize().cx - before.cx, shown().cx - small.cx);
    EXPECT_EQ(clientSize().cy - before.cy, shown().cy - small.cy);
    ShowPictureForDpi(dialog.hwnd(), IDC_DONE_PICTURE, 192, IDB_WELCOME, L"IDB_WELCOME", room200);
    EXPECT_EQ(shown().cx, ScaleToDpi(small.cx, 192));
    DestroyWindow(dialog.hwnd());
}

// The progress dialog's copy animation: frames of 272 x 60 at 100 per cent, one and a half and two
// times that for screens of 144 and 192 dots per inch, as long as the control holds them whole.
TEST(Dpi, TheCopyAnimationIsTakenForTheScaleThatFitsItsControl) {
    test::InitialiseUserInterface();
    const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 700, 200, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    const auto control = [&](int width, int height) {
        return fw::Animation(CreateWindowExW(0, ANIMATE_CLASSW, nullptr,
                                             WS_CHILD | ACS_CENTER | ACS_TRANSPARENT, 0, 0, width,
                                             height, parent, nullptr, nullptr, nullptr));
    };
    const SIZE frame = {272, 60};
    const fw::Animation roomy = control(600, 130);
    const struct {
        UINT dpi;
        int percent;
    } scales[] = {{96, 100}, {120, 100}, {144, 150}, {168, 150}, {192, 200}, {288, 200}};
    for (const auto& scale : scales) {
        EXPECT_EQ(
            OpenAnimationForDpi(roomy, IDR_COPY_ANIMATION, L"IDR_COPY_ANIMATION", frame, scale.dpi),
            scale.percent)
            << scale.dpi;
        EXPECT_TRUE(roomy.Play()) << scale.dpi;
        roomy.Close();
    }
    // A control whose dialog font grew less than the screen takes the largest frames it holds.
    EXPECT_EQ(OpenAnimationForDpi(control(450, 100), IDR_COPY_ANIMATION, L"IDR_COPY_ANIMATION",
                                  frame, 192),
              150);
    EXPECT_EQ(OpenAnimationForDpi(control(300, 80), IDR_COPY_ANIMATION, L"IDR_COPY_ANIMATION",
                                  frame, 192),
              100);
    // Without larger animations the one at 100 per cent plays.
    EXPECT_EQ(OpenAnimationForDpi(roomy, IDR_COPY_ANIMATION, L"IDR_NOT_THERE", frame, 192), 100);
    DestroyWindow(parent);
}

// The folder picker's drive and folder images: seven of 16 pixels, of 24 from 150 per cent and of
// 32 from 200; a tree given them grows its rows to hold them.
TEST(Dpi, TheFolderPickersImagesAreDrawnForEachScale) {
    test::InitialiseUserInterface();
    const HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 300, 300, nullptr,
                                      nullptr, nullptr, nullptr);
    ASSERT_NE(tree, nullptr);
    const struct {
        UINT dpi;
        int size;
    } scales[] = {{96, 16}, {120, 16}, {144, 24}, {168, 24}, {192, 32}, {288, 32}};
    for (const auto& scale : scales) {
        fw::ImageList images;
        ASSERT_TRUE(LoadImagesForDpi(images, IDB_FOLDER_IMAGES, L"IDB_FOLDER_IMAGES", 16, scale.dpi,
                                     RGB(255, 0, 255)));
        int width = 0;
        int height = 0;
        ASSERT_TRUE(ImageList_GetIconSize(images.get(), &width, &height));
        EXPECT_EQ(width, scale.size) << scale.dpi;
        EXPECT_EQ(height, scale.size) << scale.dpi;
        EXPECT_EQ(images.Count(), 7) << scale.dpi;
        TreeView_SetImageList(tree, images.get(), TVSIL_NORMAL);
        EXPECT_GE(TreeView_GetItemHeight(tree), scale.size) << scale.dpi;
        TreeView_SetImageList(tree, nullptr, TVSIL_NORMAL);
    }
    // Without larger art the images at 100 per cent are taken.
    fw::ImageList fallback;
    ASSERT_TRUE(
        LoadImagesForDpi(fallback, IDB_FOLDER_IMAGES, L"IDB_NOT_THERE", 16, 192, RGB(255, 0, 255)));
    int width = 0;
    int height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(fallback.get(), &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(fallback.Count(), 7);
    DestroyWindow(tree);
}

}  // namespace
}  // namespace ui
