#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrontEndChoice.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SystemMetrics.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>

namespace tessel::ui {
namespace {

TEST(WindowFrontEnd, ChosenWhenADisplayIsPresentAndTtyIsNotAsked)
{
    struct Case {
        bool tty;
        const char* display;
        bool stdinTerminal;
        FrontEnd expected;
    };
    const Case cases[] = {
        {false, ":0", false, FrontEnd::Window},
        {false, ":0", true, FrontEnd::Window},
        {true, ":0", false, FrontEnd::Terminal},
        {false, nullptr, true, FrontEnd::Terminal},
        {false, "", true, FrontEnd::Terminal},
        {false, nullptr, false, FrontEnd::Headless},
        {true, nullptr, false, FrontEnd::Terminal},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseFrontEnd(c.tty, c.display, c.stdinTerminal), c.expected)
            << c.tty << " " << (c.display ? c.display : "(none)") << " " << c.stdinTerminal;
}

// Writes down the taps it gets.
class TapDialog : public Dialog {
public:
    static inline std::atomic<std::int64_t> down {-1};
    static inline std::atomic<std::int64_t> up {-1};
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmLButtonDown)
            down = lParam;
        else if (message == kWmLButtonUp)
            up = lParam;
        return Dialog::windowProc(message, wParam, lParam);
    }
};

TEST(WindowFrontEnd, AClickIsATapOnTheWindowDrawnThereInItsClientCoordinates)
{
    TempDeviceRoot root;
    DialogScreen<TapDialog> screen(u"Taps");
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    Compositor compositor;
    driver.compose(&compositor);
    driver.tap(37, 201);
    // The dialog's client area starts below its caption.
    const int y = 201 - systemMetric(kMetricCaptionHeight);
    EXPECT_EQ(TapDialog::down.load(), y << 16 | 37);
    EXPECT_EQ(TapDialog::up.load(), y << 16 | 37);
}

// With no display and no terminal, uidemo runs headless: its snapshots are
// written all the same, and SIGTERM ends it with 0.
TEST(WindowFrontEnd, HeadlessRunWritesSnapshotsAndEndsOnSigterm)
{
    TempDeviceRoot root;
    const std::string shots = root.hostPath("shots");
    const TestCommandResult run
        = testRunCommand("env -u DISPLAY " TESSEL_BINARY_DIR "/bin/uidemo --snapshots '" + shots
            + "' </dev/null >/dev/null 2>&1 & "
              "pid=$!; for i in $(seq 1 200); do [ -f '"
            + shots
            + "/0001.png' ] && break; sleep 0.05; done; "
              "kill -TERM $pid; status=0; wait $pid || status=$?; echo \"exit $status\"; ls '"
            + shots + "'");
    EXPECT_EQ(testLines(run.output), (std::vector<std::string> {"exit 0", "0001.png"})) << run.output;
}

// uidemo in its window under Xvfb: the captured window equals the newest PNG
// snapshot, before and after a key sent with xdotool changes the screen;
// asking the window to close ends the program with 0.
TEST(WindowFrontEnd, WindowUnderXvfbEqualsItsSnapshots)
{
    TESSEL_REQUIRE_TOOL(testToolXvfbRun());
    TESSEL_REQUIRE_TOOL(testToolXdotool());
    TESSEL_REQUIRE_TOOL(testToolImport());
    TESSEL_REQUIRE_TOOL(testToolCompare());
    TempDeviceRoot root;
    const std::string out = root.hostPath("run");
    ASSERT_TRUE(root.makeFolder("run"));
    // Runs of this test side by side look for a free display from places
    // of their own, so two never start on the same one.
    const std::string display = std::to_string(100 + getpid() % 800);
    const TestCommandResult run = testRunCommand("timeout 110 xvfb-run -a -n " + display
        + " -s '-screen 0 640x480x24' bash " TESSEL_SOURCE_DIR
          "/tests/harness/xvfb_window.sh " TESSEL_BINARY_DIR "/bin/uidemo '"
        + out + "' 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto lines = testLines(run.output);
    ASSERT_EQ(lines.size(), 4u) << run.output;
    EXPECT_EQ(lines[0], "shown 0001 0");
    EXPECT_EQ(lines[1], "size 240 320");
    EXPECT_EQ(lines[2], "shown 0002 0");
    EXPECT_EQ(lines[3], "closed 0");
}

} // namespace
} // namespace tessel::ui
