#include "platform/ui/Compositor.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PngFile.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;

constexpr Color kPanelColor = rgb(0, 160, 0);
constexpr Color kInnerColor = rgb(220, 120, 0);
constexpr Color kBackdropColor = rgb(250, 240, 200);

// A window that fills its client area with one colour and names itself.
class Swatch : public Window {
public:
    explicit Swatch(Color color)
        : color_(color)
    {
    }
    int paint(Canvas& canvas, const Rect& area) const override
    {
        canvas.fillRect(area, Brush::solid(color_));
        return 0;
    }

private:
    Color color_;
};

// A dialog that paints its own background, with a placed panel holding a
// placed child that reaches past the panel's edges, a row-flow control, and
// a panel below the screen that scrolling brings up.
class PlacedDialog : public Dialog {
public:
    Swatch panel {kPanelColor};
    Swatch inner {kInnerColor};
    Swatch below {kPanelColor};
    Window flowing;

    int paint(Canvas& canvas, const Rect& area) const override
    {
        canvas.fillRect(area, Brush::solid(kBackdropColor));
        return 0;
    }

protected:
    void onCreate() override
    {
        panel.create(u"Panel", u"Panel", this, 10, Rect {20, 30, 120, 90});
        inner.create(u"Inner", u"Inner", &panel, 11, Rect {80, 40, 160, 100});
        below.create(u"Below", u"Below", this, 12, Rect {0, 300, 240, 340});
        flowing.create(u"static", u"Flowing text", this, 13);
        setScrollInfo(ScrollInfo {0, 399, 270, 0});
    }
};

struct Screen : DialogScreen<PlacedDialog> {
    Screen()
        : DialogScreen(u"Placed")
    {
    }
};

std::string hexOf(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", red(c), green(c), blue(c));
    return text;
}

// What tests/peers/png_reader.py reads at the spots of the frame as written.
Lines readerSays(
    const TempDeviceRoot& root, const Bitmap& frame, const std::vector<std::pair<int, int>>& spots)
{
    const std::string file = root.hostPath("frame.png");
    EXPECT_TRUE(writePng(file, frame));
    std::string asked;
    for (const auto& [x, y] : spots)
        asked += " " + std::to_string(x) + "," + std::to_string(y);
    const TestCommandResult run = testRunCommand(
        testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/png_reader.py '" + file + "'" + asked + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    Lines lines = testLines(run.output);
    if (!lines.empty())
        lines.erase(lines.begin());
    return lines;
}

void scroll(const Screen& screen, std::uint32_t code, int thumb = 0)
{
    WindowHandle dialog = screen.thread.dialog->handle();
    callOnThread(screen.thread.threadId(),
        [&] { return sendMessage(dialog, kWmVScroll, (static_cast<std::uint64_t>(thumb) << 16) | code, 0); });
}

TEST(Compositor, PlacesChildrenAtTheirRectanglesClippedByTheirParentAndScrolledByVScroll)
{
    TempDeviceRoot root;
    Screen screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    Compositor compositor;
    ASSERT_TRUE(driver.compose(&compositor));
    const int top = systemMetric(kMetricCaptionHeight); // the client area starts below the caption
    struct Spot {
        const char* what;
        int x;
        int y;
        Color color;
    };
    const Spot before[] = {
        {"the dialog's own background", 5, top + 100, kBackdropColor},
        {"the panel's top left", 20, top + 30, kPanelColor},
        {"the panel's last pixel", 119, top + 89, kInnerColor},
        {"the child inside the panel", 20 + 80, top + 30 + 40, kInnerColor},
        {"the child past the panel's right edge is cut", 20 + 100, top + 30 + 45, kBackdropColor},
        {"the child past the panel's bottom is cut", 20 + 90, top + 30 + 60, kBackdropColor},
        {"the scroll bar at the right edge", 239 - 1, top + 200, systemColor(kColorScrollbar)},
        {"no panel below the screen yet", 5, top + 260, kBackdropColor},
    };
    std::vector<std::pair<int, int>> spots;
    for (const Spot& s : before)
        spots.emplace_back(s.x, s.y);
    Lines read = readerSays(root, compositor.frame(), spots);
    ASSERT_EQ(read.size(), std::size(before));
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(compositor.frame().pixel(before[i].x, before[i].y), before[i].color) << before[i].what;
        EXPECT_EQ(read[i].substr(read[i].find(' ') + 1), hexOf(before[i].color)) << before[i].what;
    }
    EXPECT_EQ(driver.snapshot(),
        (Lines {"== Placed ==", "scroll 1-270 of 400", "  Panel", "    Inner", "  Flowing text"}))
        << "the panel below the client area shows nothing";

    // A page down moves the placed children up by the page and stops at the end.
    scroll(screen, kSbPageDown);
    ASSERT_TRUE(driver.compose(&compositor));
    EXPECT_EQ(screen.thread.dialog->scrollInfo().position, 130) << "held at the range less the page";
    const Spot after[] = {
        {"the panel is gone above", 20, top + 30, kBackdropColor},
        {"the lower panel came up", 5, top + 300 - 130, kPanelColor},
    };
    spots.clear();
    for (const Spot& s : after)
        spots.emplace_back(s.x, s.y);
    read = readerSays(root, compositor.frame(), spots);
    ASSERT_EQ(read.size(), std::size(after));
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i].substr(read[i].find(' ') + 1), hexOf(after[i].color)) << after[i].what;
    EXPECT_EQ(
        driver.snapshot(), (Lines {"== Placed ==", "scroll 131-400 of 400", "  Below", "  Flowing text"}))
        << "the panel scrolled out of the client area shows no more";

    // A line up, then back to the top: everything where it began.
    scroll(screen, kSbLineUp);
    EXPECT_EQ(screen.thread.dialog->scrollInfo().position, 110);
    scroll(screen, kSbTop);
    EXPECT_EQ(screen.thread.dialog->panel.windowRect(), (Rect {20, 30, 120, 90}));
    scroll(screen, kSbThumbPosition, 50);
    EXPECT_EQ(screen.thread.dialog->below.windowRect(), (Rect {0, 250, 240, 290}));
}

} // namespace
} // namespace tessel::ui
