#include "ui/WinTSTitle.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PngFile.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tessel::ui;

std::string hexOf(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", red(c), green(c), blue(c));
    return text;
}

// The screen as tests/peers/png_reader.py reads its PNG, at the spots given.
std::vector<std::string> pngSays(const TempDeviceRoot& root, const std::vector<std::pair<int, int>>& spots)
{
    Compositor compositor;
    compositor.compose();
    const std::string file = root.hostPath("title.png");
    EXPECT_TRUE(writePng(file, compositor.frame()));
    std::string arguments;
    for (const auto& [x, y] : spots)
        arguments += " " + std::to_string(x) + "," + std::to_string(y);
    const TestCommandResult run = testRunCommand(testPython()
        + " " TESSEL_SOURCE_DIR "/tests/peers/png_reader.py '" + file + "'" + arguments + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    std::vector<std::string> lines = testLines(run.output);
    if (!lines.empty())
        lines.erase(lines.begin()); // the size
    return lines;
}

TEST(WinTSTitle, GradientRowsFollowTheFormulaAndSurviveWidening)
{
    TempDeviceRoot root;
    Dialog screen;
    ASSERT_TRUE(screen.createModeless(u"Screen"));
    CWinTSTitle title;
    ASSERT_TRUE(title.create(u"static", u"Inbox", &screen, 0, Rect {0, 0, 100, 20}));
    title.moveWindow(Rect {0, 0, 100, 20});
    ASSERT_TRUE(title.gradient());
    const Bitmap* first = title.gradient();

    // Frame coordinates of the strip, away from the centred text.
    Compositor compositor;
    compositor.compose();
    const Rect at = title.shownAt();
    ASSERT_EQ(at.width(), 100);
    const Color top = title.topColor();
    const Color bottom = title.bottomColor();
    struct Row {
        int y;
        Color color;
    };
    const Row rows[] = {
        {0, top},
        {10, CWinTSTitle::gradientColor(top, bottom, 10, 20)},
        {19, CWinTSTitle::gradientColor(top, bottom, 19, 20)},
    };
    EXPECT_EQ(CWinTSTitle::gradientColor(rgb(0, 60, 140), rgb(64, 64, 64), 19, 20), rgb(60, 63, 68))
        << "each component from top + (bottom - top) * i / height, truncated";
    std::vector<std::pair<int, int>> spots;
    std::vector<std::string> expected;
    for (const Row& r : rows) {
        spots.emplace_back(at.left + 2, at.top + r.y);
        expected.push_back(
            std::to_string(at.left + 2) + "," + std::to_string(at.top + r.y) + " " + hexOf(r.color));
    }
    EXPECT_EQ(pngSays(root, spots), expected);

    // Wider: the first gradient is kept and repeated across.
    title.moveWindow(Rect {0, 0, 200, 20});
    EXPECT_EQ(title.gradient(), first);
    EXPECT_EQ(title.gradient()->width(), 100);
    spots.clear();
    expected.clear();
    for (const Row& r : rows) {
        for (int x : {2, 150, 197}) {
            spots.emplace_back(at.left + x, at.top + r.y);
            expected.push_back(
                std::to_string(at.left + x) + "," + std::to_string(at.top + r.y) + " " + hexOf(r.color));
        }
    }
    EXPECT_EQ(pngSays(root, spots), expected);
    title.destroy();
    screen.destroy();
}

TEST(WinTSTitle, TextIsCentredInTheCaptionColour)
{
    TempDeviceRoot root;
    Dialog screen;
    ASSERT_TRUE(screen.createModeless(u"Screen"));
    CWinTSTitle title;
    ASSERT_TRUE(title.create(u"static", u"IIIIIIII", &screen, 0, Rect {0, 0, 200, 24}));
    title.moveWindow(Rect {0, 0, 200, 24});
    Compositor compositor;
    compositor.compose();
    const Rect at = title.shownAt();
    int leftmost = 200;
    int rightmost = -1;
    int textPixels = 0;
    for (int y = at.top; y < at.bottom; ++y) {
        for (int x = at.left; x < at.right; ++x) {
            const Color c = compositor.frame().pixel(x, y);
            if (red(c) > 200 && green(c) > 200 && blue(c) > 200) {
                ++textPixels;
                leftmost = std::min(leftmost, x - at.left);
                rightmost = std::max(rightmost, x - at.left);
            }
        }
    }
    ASSERT_GT(textPixels, 0);
    EXPECT_NEAR((leftmost + rightmost) / 2.0, 100.0, 4.0);
    title.destroy();
    screen.destroy();
}

} // namespace
