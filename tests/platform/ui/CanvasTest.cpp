#include "platform/ui/Canvas.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/SystemMetrics.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tessel::ui {
namespace {

constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kBlack = rgb(0, 0, 0);
constexpr Color kRed = rgb(255, 0, 0);
constexpr Color kBlue = rgb(0, 0, 255);

// A canvas over a fresh white bitmap.
struct Surface {
    explicit Surface(int width, int height)
        : bitmap(std::make_shared<Bitmap>(width, height, kWhite))
        , canvas(bitmap)
    {
    }
    std::shared_ptr<Bitmap> bitmap;
    Canvas canvas;
};

// Rows of the bitmap as characters: '.' white, '#' black, 'r' red, 'b' blue.
std::vector<std::string> picture(const Bitmap& b)
{
    std::vector<std::string> rows;
    for (int y = 0; y < b.height(); ++y) {
        std::string row;
        for (int x = 0; x < b.width(); ++x) {
            const Color c = opaque(b.pixel(x, y));
            row += c == kWhite ? '.' : c == kBlack ? '#' : c == kRed ? 'r' : c == kBlue ? 'b' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(CanvasTest, ShapesGiveExpectedPixels)
{
    struct Case {
        const char* name;
        void (*draw)(Canvas&);
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"fill leaves right and bottom edges out",
            [](Canvas& c) {
                c.fillRect(Rect {1, 1, 4, 3}, Brush::solid(kRed));
            },
            {"......", ".rrr..", ".rrr..", "......"}},
        {"fill clipped at the bitmap's edge",
            [](Canvas& c) {
                c.fillRect(Rect {-2, -2, 2, 2}, Brush::solid(kBlue));
            },
            {"bb....", "bb....", "......", "......"}},
        {"null brush paints nothing",
            [](Canvas& c) {
                c.fillRect(Rect {0, 0, 6, 4}, Brush::null());
            },
            {"......", "......", "......", "......"}},
        {"rectangle: pen outline, brush inside",
            [](Canvas& c) {
                c.selectPen(Pen::solid(kBlack));
                c.selectBrush(Brush::solid(kRed));
                c.rectangle(Rect {0, 0, 5, 4});
            },
            {"#####.", "#rrr#.", "#rrr#.", "#####."}},
        {"wide pen fills a small rectangle",
            [](Canvas& c) {
                c.selectPen(Pen::solid(kBlack, 2));
                c.selectBrush(Brush::solid(kRed));
                c.rectangle(Rect {0, 0, 6, 4});
            },
            {"######", "######", "######", "######"}},
        {"null pen: brush only",
            [](Canvas& c) {
                c.selectPen(Pen::null());
                c.selectBrush(Brush::solid(kBlue));
                c.rectangle(Rect {1, 1, 3, 3});
            },
            {"......", ".bb...", ".bb...", "......"}},
        {"line leaves its end point out",
            [](Canvas& c) {
                c.selectPen(Pen::solid(kBlack));
                c.moveTo(0, 1);
                c.lineTo(5, 1);
            },
            {"......", "#####.", "......", "......"}},
        {"diagonal line",
            [](Canvas& c) {
                c.selectPen(Pen::solid(kBlack));
                c.moveTo(0, 0);
                c.lineTo(4, 4);
            },
            {"#.....", ".#....", "..#...", "...#.."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s(6, 4);
        c.draw(s.canvas);
        EXPECT_EQ(picture(*s.bitmap), c.expected);
    }
}

TEST(CanvasTest, RoundRectCutsItsCornersOnly)
{
    Surface s(12, 8);
    s.canvas.selectPen(Pen::null());
    s.canvas.selectBrush(Brush::solid(kBlack));
    s.canvas.roundRect(Rect {0, 0, 12, 8}, 6, 6);
    const std::vector<std::string> expected = {
        ".##########.",
        "############",
        "############",
        "############",
        "############",
        "############",
        "############",
        ".##########.",
    };
    EXPECT_EQ(picture(*s.bitmap), expected);

    // With a pen, the outline follows the corners and the inside is the brush.
    Surface p(12, 8);
    p.canvas.selectPen(Pen::solid(kBlack));
    p.canvas.selectBrush(Brush::solid(kRed));
    p.canvas.roundRect(Rect {0, 0, 12, 8}, 6, 6);
    const auto rows = picture(*p.bitmap);
    EXPECT_EQ(rows[0], ".##########.");
    EXPECT_EQ(rows[1], "##rrrrrrrr##");
    EXPECT_EQ(rows[4], "#rrrrrrrrrr#");
    EXPECT_EQ(rows[7], ".##########.");
}

TEST(CanvasTest, PatternBrushTilesFromTheOrigin)
{
    // A 3-pixel pattern (red, blue, black) across a 10-pixel-wide rectangle.
    auto pattern = std::make_shared<Bitmap>(3, 1);
    pattern->setPixel(0, 0, kRed);
    pattern->setPixel(1, 0, kBlue);
    pattern->setPixel(2, 0, kBlack);
    Surface s(11, 2);
    s.canvas.fillRect(Rect {1, 0, 11, 2}, Brush::patterned(pattern));
    EXPECT_EQ(picture(*s.bitmap), (std::vector<std::string> {".b#rb#rb#rb", ".b#rb#rb#rb"}));

    // A window's context tiles from its own origin.
    Bitmap frame(8, 1, kWhite);
    Canvas window(&frame, 2, 0, frame.bounds());
    window.fillRect(Rect {0, 0, 6, 1}, Brush::patterned(pattern));
    EXPECT_EQ(picture(frame), (std::vector<std::string> {"..rb#rb#"}));
}

TEST(CanvasTest, WindowContextClipsToItsRectangle)
{
    Bitmap frame(6, 3, kWhite);
    Canvas window(&frame, 1, 1, Rect {1, 1, 4, 3});
    window.fillRect(Rect {-5, -5, 50, 50}, Brush::solid(kBlack));
    EXPECT_EQ(picture(frame), (std::vector<std::string> {"......", ".###..", ".###.."}));

    // Shapes far larger than the clip cost only what they cover.
    const Rect huge {-1000000000, -1000000000, 1000000000, 1000000000};
    Bitmap source(2, 2, kRed);
    window.selectBrush(Brush::solid(kBlue));
    window.selectPen(Pen::null());
    window.roundRect(huge, 50, 50);
    EXPECT_EQ(picture(frame), (std::vector<std::string> {"......", ".bbb..", ".bbb.."}));
    window.stretchBlt(huge, source, source.bounds());
    window.bitBlt(-1000000000, -1000000000, 2000000000, 2000000000, source, 0, 0);
    EXPECT_EQ(picture(frame), (std::vector<std::string> {"......", ".rrr..", ".rrr.."}));
}

TEST(CanvasTest, StretchBltGivesTheDestinationSize)
{
    Bitmap source(2, 2, kRed);
    source.setPixel(1, 0, kBlue);
    source.setPixel(0, 1, kBlack);
    struct Case {
        Rect dest;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {Rect {0, 0, 4, 4}, {"rrbb", "rrbb", "##rr", "##rr"}},
        {Rect {0, 0, 1, 1}, {"r...", "....", "....", "...."}},
        {Rect {1, 1, 4, 3}, {"....", ".rrb", ".##r", "...."}},
    };
    for (const Case& c : cases) {
        Surface s(4, 4);
        s.canvas.stretchBlt(c.dest, source, source.bounds());
        EXPECT_EQ(picture(*s.bitmap), c.expected);
    }
    // The background bitmap stretched over a whole client area, a larger one.
    Surface big(240, 296);
    big.canvas.stretchBlt(big.bitmap->bounds(), source, source.bounds());
    EXPECT_EQ(big.bitmap->pixel(239, 0), kBlue);
    EXPECT_EQ(big.bitmap->pixel(0, 295), kBlack);
}

TEST(CanvasTest, BitBltCopiesAndCompatibleContextsHoldTheirOwnBitmap)
{
    Surface s(4, 2);
    auto memory = s.canvas.compatible(2, 2);
    memory->fillRect(Rect {0, 0, 2, 2}, Brush::solid(kBlue));
    memory->fillRect(Rect {1, 1, 2, 2}, Brush::solid(kRed));
    s.canvas.bitBlt(2, 0, 2, 2, *memory->selectedBitmap(), 0, 0);
    // A source rectangle partly outside the source copies what exists.
    s.canvas.bitBlt(0, 0, 2, 2, *memory->selectedBitmap(), 1, 1);
    EXPECT_EQ(picture(*s.bitmap), (std::vector<std::string> {"r.bb", "..br"}));
}

TEST(CanvasTest, MaskColoursShowThrough)
{
    constexpr Color kGreyMask = rgb(0x55, 0x55, 0x55);
    struct Case {
        const char* name;
        Color mask;
        Color keyPixel;
    };
    const Case cases[] = {
        {"0x555555, the downloaded icons' mask", kGreyMask, kGreyMask},
        {"white, the thumbnails' mask", kWhite, kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap icon(2, 2, kBlack);
        icon.setPixel(0, 0, c.keyPixel);
        icon.setPixel(1, 1, kRed);
        ImageList images(2, 2);
        ASSERT_EQ(images.add(icon, c.mask), 0);
        Bitmap frame(3, 2, kBlue);
        Canvas canvas(&frame, 0, 0, frame.bounds());
        EXPECT_TRUE(images.draw(canvas, 0, 1, 0));
        EXPECT_FALSE(images.draw(canvas, 1, 0, 0));
        EXPECT_EQ(picture(frame), (std::vector<std::string> {"bb#", "b#r"}));
    }
    // An image of another size is scaled to the list's.
    ImageList icons(4, 4);
    EXPECT_EQ(icons.add(Bitmap(2, 2, kRed), kWhite), 0);
    EXPECT_EQ(icons.add(Bitmap(), kWhite), -1);
    Surface s(4, 4);
    icons.draw(s.canvas, 0, 0, 0);
    EXPECT_EQ(picture(*s.bitmap), (std::vector<std::string> {"rrrr", "rrrr", "rrrr", "rrrr"}));
}

TEST(CanvasTest, CheckBoxFrameShowsItsTickWhenChecked)
{
    Surface off(13, 13);
    off.canvas.checkBoxFrame(Rect {0, 0, 13, 13}, false);
    Surface on(13, 13);
    on.canvas.checkBoxFrame(Rect {0, 0, 13, 13}, true);
    const auto empty = picture(*off.bitmap);
    EXPECT_EQ(empty[0], std::string(13, '#'));
    EXPECT_EQ(empty[6], "#...........#");
    int inked = 0;
    const auto ticked = picture(*on.bitmap);
    for (int y = 1; y < 12; ++y)
        inked += static_cast<int>(std::count(ticked[y].begin() + 1, ticked[y].end() - 1, '#'));
    EXPECT_GT(inked, 5);
}

TEST(CanvasTest, SystemTableAndScreenFromDeviceConf)
{
    TempDeviceRoot root;
    EXPECT_EQ(systemMetric(kMetricScreenWidth), 240);
    EXPECT_EQ(systemMetric(kMetricScreenHeight), 320);
    root.writeDeviceConf("screen.width = 480\nscreen.height = 640\n");
    EXPECT_EQ(systemMetric(kMetricScreenWidth), 480);
    EXPECT_EQ(systemMetric(kMetricScreenHeight), 640);
    EXPECT_EQ(systemMetric(kMetricIconWidth), 32);
    EXPECT_EQ(systemMetric(9999), 0);
    EXPECT_EQ(systemColor(kColorWindow), kWhite);
    EXPECT_EQ(systemColor(9999), 0u);
}

} // namespace
} // namespace tessel::ui
