#include "ui/WinTSPicture.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tessel::ui::rgb;

// A picture of one colour, width by height.
std::string redPicture(int width, int height)
{
    return testJpeg(width, height, 3, 95, [width](unsigned, unsigned char* row) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = 255;
            row[3 * x + 1] = 0;
            row[3 * x + 2] = 0;
        }
    });
}

TEST(WinTSPicture, ScalesIntoTheBoxOrGivesNone)
{
    const std::string wide = redPicture(200, 100);
    const std::string tall = redPicture(100, 200);
    struct Case {
        const std::string* picture;
        int width, height, margin;
        bool fill;
        int expectWidth, expectHeight; // 0: no bitmap
    };
    const Case cases[] = {
        {&wide, 100, 100, 0, false, 100, 50}, {&tall, 100, 100, 0, false, 50, 100},
        {&wide, 100, 100, 10, false, 80, 30}, {&wide, 100, 100, 0, true, 100, 100},
        {&tall, 100, 100, 10, true, 100, 100}, // centred on the background
        {&wide, 0, 100, 0, false, 0, 0}, {&wide, 100, 0, 0, true, 0, 0}, {&wide, -4, 100, 0, false, 0, 0},
        {&wide, 100, 100, 50, false, 0, 0}, // the margins leave nothing
        {&wide, 100, 100, 26, false, 0, 0}, // the proportional height would be below 1
    };
    for (const Case& c : cases) {
        auto bitmap = LoadPictureScaled(reinterpret_cast<const std::uint8_t*>(c.picture->data()),
            c.picture->size(), c.width, c.height, c.fill, rgb(0, 0, 255), c.margin);
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " margin "
            + std::to_string(c.margin) + (c.fill ? " fill" : "");
        if (c.expectWidth == 0) {
            EXPECT_FALSE(bitmap) << what;
            continue;
        }
        ASSERT_TRUE(bitmap) << what;
        EXPECT_EQ(bitmap->width(), c.expectWidth) << what;
        EXPECT_EQ(bitmap->height(), c.expectHeight) << what;
    }
    auto boxed = LoadPictureScaled(
        reinterpret_cast<const std::uint8_t*>(tall.data()), tall.size(), 100, 100, true, rgb(0, 0, 255), 10);
    ASSERT_TRUE(boxed);
    EXPECT_EQ(tessel::ui::colorRef(boxed->pixel(2, 50)), tessel::ui::colorRef(rgb(0, 0, 255)));
    EXPECT_GT(tessel::ui::red(boxed->pixel(50, 50)), 200u);
}

TEST(WinTSPicture, FilesThatAreEmptyMissingOrNoPictureGiveNone)
{
    TempDeviceRoot root;
    root.writeFile("My Documents/empty.jpg", "");
    root.writeFile("My Documents/text.jpg", "not a picture");
    root.writeFile("My Documents/red.jpg", redPicture(40, 20));
    EXPECT_FALSE(LoadPictureFile(u"\\My Documents\\empty.jpg", 50, 50, false, 0, 0));
    EXPECT_FALSE(LoadPictureFile(u"\\My Documents\\text.jpg", 50, 50, false, 0, 0));
    EXPECT_FALSE(LoadPictureFile(u"\\My Documents\\none.jpg", 50, 50, false, 0, 0));
    EXPECT_FALSE(LoadPictureFile(u"\\..\\outside.jpg", 50, 50, false, 0, 0));
    // A folder, and an empty path (the root), are no picture either; reading one threw.
    EXPECT_FALSE(LoadPictureFile(u"\\My Documents", 50, 50, false, 0, 0));
    EXPECT_FALSE(LoadPictureFile(u"", 50, 50, false, 0, 0));
    auto red = LoadPictureFile(u"\\my documents\\RED.JPG", 50, 50, false, 0, 0);
    ASSERT_TRUE(red);
    EXPECT_EQ(red->width(), 50);
    EXPECT_EQ(red->height(), 25);
}

} // namespace
