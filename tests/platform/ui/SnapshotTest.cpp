#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Notification.h"
#include "platform/ui/PngFile.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SnapshotWriter.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>

namespace tessel::ui {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A list with icons and two soft keys, on its own thread.
class PictureDialog : public Dialog {
public:
    ListView list;

protected:
    void onCreate() override
    {
        auto bar = std::make_shared<Menu>();
        bar->add(100, u"Send").add(101, u"Back");
        setMenuBar(bar);
        list.create(this, 1006, ListView::kCheckBoxes);
        auto icons = std::make_shared<ImageList>(16, 16);
        Bitmap icon(16, 16, rgb(255, 255, 255));
        icon.fill(Rect {4, 4, 12, 12}, rgb(200, 0, 0));
        icons->add(icon, rgb(255, 255, 255));
        list.setImageList(icons);
        for (const char16_t* row : {u"Beach.jpg", u"Harbour.png", u"Cat.gif"})
            list.setItemImage(list.insertItem(-1, row), 0);
        setFocus(list.handle());
    }
};

struct Screen : DialogScreen<PictureDialog> {
    Screen()
        : DialogScreen(u"Pictures")
    {
    }
};

// What tests/peers/png_reader.py makes of a file: "W H" and the pixels asked.
std::vector<std::string> readerSays(const std::string& file, const std::string& spots = "")
{
    const TestCommandResult run = testRunCommand(
        testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/png_reader.py '" + file + "' " + spots + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return testLines(run.output);
}

std::string hexOf(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", red(c), green(c), blue(c));
    return text;
}

TEST(SnapshotTest, OnePngPerChangedFrame)
{
    TempDeviceRoot root;
    Screen screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    Compositor compositor;
    SnapshotWriter snapshots(root.hostPath("shots"));
    auto step = [&] {
        if (driver.compose(&compositor))
            snapshots.write(compositor.frame());
    };
    step();
    step(); // unchanged: no file
    driver.key(kVkDown);
    step();
    driver.key(kVkReturn); // the list leaves Enter; nothing on screen changes
    step();
    driver.chars(u" ");
    step();
    EXPECT_EQ(compositor.frame().width(), 240);
    EXPECT_EQ(compositor.frame().height(), 320);
    EXPECT_EQ(snapshots.written(), 3);
    EXPECT_TRUE(fs::exists(snapshots.pathOf(1)));
    EXPECT_TRUE(fs::exists(snapshots.pathOf(3)));
    EXPECT_FALSE(fs::exists(snapshots.pathOf(4)));
    EXPECT_EQ(fs::path(snapshots.pathOf(2)).filename(), "0002.png");
    for (const auto& entry : fs::directory_iterator(root.hostPath("shots")))
        EXPECT_EQ(entry.path().extension(), ".png") << "left behind: " << entry.path();

    // The last one, read back by the independent reader, pixel for pixel where asked.
    const Bitmap& frame = compositor.frame();
    const auto lines = readerSays(snapshots.pathOf(3), "0,0 10,40 120,310 239,319");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "240 320");
    EXPECT_EQ(lines[1], "0,0 " + hexOf(frame.pixel(0, 0)));
    EXPECT_EQ(lines[2], "10,40 " + hexOf(frame.pixel(10, 40)));
    EXPECT_EQ(lines[3], "120,310 " + hexOf(frame.pixel(120, 310)));
    EXPECT_EQ(lines[4], "239,319 " + hexOf(frame.pixel(239, 319)));
}

TEST(SnapshotTest, FramesShowWindowsSoftKeysAndTheNotification)
{
    TempDeviceRoot root;
    root.writeDeviceConf("screen.width = 176\nscreen.height = 220\n");
    Screen screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    Compositor compositor;
    ASSERT_TRUE(driver.compose(&compositor));
    const Bitmap first = compositor.frame();
    EXPECT_EQ(first.width(), 176);
    EXPECT_EQ(first.height(), 220);
    // Caption at the top, soft-key bar at the bottom, an icon's red in the list.
    EXPECT_EQ(first.pixel(1, 1), systemColor(kColorActiveCaption));
    EXPECT_EQ(first.pixel(1, 219), systemColor(kColorButtonFace));
    bool red = false;
    for (int y = 24; y < 80 && !red; ++y)
        for (int x = 0; x < 60 && !red; ++x)
            red = first.pixel(x, y) == rgb(200, 0, 0);
    EXPECT_TRUE(red);

    callOnThread(screen.thread.threadId(), [] {
        Notification::show(u"Tessel", u"Sent.<br>3 pictures", 20, u"Dismiss");
        return std::int64_t(0);
    });
    EXPECT_TRUE(driver.compose(&compositor));
    EXPECT_FALSE(driver.compose(&compositor));
    callOnThread(screen.thread.threadId(), [] { return std::int64_t(Notification::dismiss()); });
    EXPECT_TRUE(driver.compose(&compositor));
    EXPECT_EQ(compositor.frame(), first);
}

TEST(SnapshotTest, PngcheckAndTheReaderAgreeOnWrittenFiles)
{
    TESSEL_REQUIRE_TOOL(testToolPngcheck());
    TempDeviceRoot root;
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case {240, 320}, Case {1, 1}, Case {333, 7}}) {
        Bitmap b(c.width, c.height, rgb(10, 20, 30));
        b.setPixel(c.width - 1, c.height - 1, rgb(250, 128, 3));
        const std::string file = root.hostPath("f.png");
        ASSERT_TRUE(writePng(file, b));
        const TestCommandResult check = testRunCommand("pngcheck '" + file + "' 2>&1");
        EXPECT_EQ(check.status, 0) << check.output;
        const std::string size = "(" + std::to_string(c.width) + "x" + std::to_string(c.height) + ",";
        EXPECT_NE(check.output.find(size), std::string::npos) << check.output;
        const auto lines = readerSays(file, std::to_string(c.width - 1) + "," + std::to_string(c.height - 1));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], std::to_string(c.width) + " " + std::to_string(c.height));
        EXPECT_EQ(lines[1].substr(lines[1].find(' ') + 1), "fa8003");
    }
    // Nothing is written for an empty bitmap or into a missing folder, and
    // no temporary file stays.
    EXPECT_FALSE(writePng(root.hostPath("empty.png"), Bitmap()));
    EXPECT_FALSE(writePng(root.hostPath("missing/x.png"), Bitmap(2, 2)));
    EXPECT_FALSE(fs::exists(root.hostPath("empty.png.tmp")));
    EXPECT_FALSE(fs::exists(root.hostPath("missing")));
}

} // namespace
} // namespace tessel::ui
