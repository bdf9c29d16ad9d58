// Faults a new user met in the window layer, each as a small scripted screen
// driven as a person would through ScreenDriver.

#include "platform/media/Image.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/ListView.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Notification.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/Static.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;

constexpr std::uint32_t kSelect = 100;
constexpr std::uint32_t kAsk = 200;
constexpr std::uint32_t kNotify = 201;
constexpr std::uint32_t kPick = 202;
constexpr int kListId = 1006;
constexpr int kPictureId = 1008;

const char16_t* const kLongQuestion
    = u"Send the three pictures to Alice, Bob and Carol now, or keep them in the "
      u"outbox for later?";

// A list (Alice, Bob, Carol) with "Select" and an "Options" popup that asks
// a question (default No), shows a notice or opens the platform's picker;
// the title tells what happened. A picture static shows what a test puts in.
class FaultDialog : public Dialog {
public:
    ListView list;
    Static picture;

protected:
    void onCreate() override
    {
        auto options = std::make_shared<Menu>();
        options->add(kAsk, u"Ask").add(kNotify, u"Notify").add(kPick, u"Pick");
        auto bar = std::make_shared<Menu>();
        bar->add(kSelect, u"Select").addPopup(u"Options", options);
        setMenuBar(bar);
        list.create(this, kListId, ListView::kReport);
        for (const char16_t* row : {u"Alice", u"Bob", u"Carol"})
            list.insertItem(-1, row);
        picture.create(this, kPictureId, u"", Rect {100, 150, 140, 190});
        setFocus(list.handle());
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmNotify) {
            const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
            if (header->code == kNotifyItemActivate)
                setText(u"Opened " + list.itemText(header->item));
            return 0;
        }
        return Dialog::windowProc(message, wParam, lParam);
    }
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override
    {
        if (id == kSelect)
            setText(u"Chose " + list.itemText(list.selectionMark()));
        else if (id == kAsk)
            setText(messageBox(this, kLongQuestion, u"Send", BoxButtons::YesNo, kIdNo) == kIdYes ? u"Sent"
                                                                                                 : u"Kept");
        else if (id == kNotify)
            Notification::show(u"Tessel", u"Sent.", 0, u"Dismiss");
        else if (id == kPick)
            setText(
                u"Picked " + std::u16string(1, u'0' + pickFromList(this, u"Folder", {u"Camera", u"Saved"})));
        else
            return Dialog::onCommand(id, code);
        return 0;
    }
};

struct Screen : DialogScreen<FaultDialog> {
    Screen()
        : DialogScreen(u"Faults")
    {
    }
    ListView& list() { return thread.dialog->list; }
};

struct Fixture {
    TempDeviceRoot& root;
    Screen& screen;
    ScreenDriver& driver;
};

bool contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Text lines drawn in the frame between two heights: rows holding ink of
// the window text colour, counted as runs.
int inkRuns(const Bitmap& frame, int top, int bottom, int left, int right)
{
    int runs = 0;
    bool inRun = false;
    for (int y = top; y < bottom; ++y) {
        bool ink = false;
        for (int x = left; x < right && !ink; ++x)
            ink = frame.pixel(x, y) == systemColor(kColorWindowText);
        runs += ink && !inRun;
        inRun = ink;
    }
    return runs;
}

// A 4x4 picture made by ImageMagick: red, with a transparent pixel at 1,1.
std::vector<std::uint8_t> transparentPicture(const TempDeviceRoot& root, const std::string& format)
{
    const std::string file = root.hostPath("hole." + format);
    const TestCommandResult made
        = testRunCommand("convert -size 4x4 xc:red -alpha set -fill none -draw 'color 1,1 point' '" + format
            + ":" + file + "' 2>&1");
    EXPECT_EQ(made.status, 0) << made.output;
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The picture's pixel 1,1 as shown, the static 40 by 40 over a white window
// and the 4x4 picture at its centre.
Color shownHole(Fixture& f, const std::vector<std::uint8_t>& bytes)
{
    auto image = media::Image::fromBuffer(bytes.data(), bytes.size());
    EXPECT_NE(image, nullptr);
    if (!image)
        return 0;
    auto bitmap = image->bitmap();
    EXPECT_TRUE(bitmap.has_value());
    if (!bitmap)
        return 0;
    auto shared = std::make_shared<const Bitmap>(*bitmap);
    callOnThread(f.screen.thread.threadId(), [&] {
        f.screen.thread.dialog->picture.setBitmap(shared);
        return std::int64_t(0);
    });
    Compositor compositor;
    f.driver.compose(&compositor);
    const int x = 100 + 18 + 1;
    const int y = systemMetric(kMetricCaptionHeight) + 150 + 18 + 1;
    EXPECT_EQ(compositor.frame().pixel(x + 1, y), rgb(255, 0, 0)) << "the opaque neighbour";
    return compositor.frame().pixel(x, y);
}

TEST(UserFaults, EachScriptedScreenBehavesAsAPersonExpects)
{
    struct Case {
        const char* what;
        std::function<void(Fixture&)> run;
    };
    const Case cases[] = {
        {"a message box wraps its text over as many lines as it needs",
            [](Fixture& f) {
                setFrontEndPresent(true);
                f.driver.menu(u"Options", u"Ask");
                Compositor compositor;
                f.driver.compose(&compositor);
                const int barTop = compositor.frame().height() - systemMetric(kMetricMenuHeight);
                EXPECT_GE(inkRuns(compositor.frame(), 100, barTop, 14, 226), 3);
                f.driver.key(kVkEscape);
            }},
        {"a message box shows its answers in the soft-key bar",
            [](Fixture& f) {
                setFrontEndPresent(true);
                f.driver.menu(u"Options", u"Ask");
                const Lines shown = f.driver.snapshot();
                EXPECT_EQ(shown.back(), "softkeys: [Yes] [No]");
                EXPECT_FALSE(contains(shown, "[Yes] [No]"));
                f.driver.softKey(0);
                EXPECT_EQ(f.driver.snapshot().front(), "== Sent ==") << "the left soft key is Yes";
            }},
        {"Enter gives the box's default answer",
            [](Fixture& f) {
                setFrontEndPresent(true);
                f.driver.menu(u"Options", u"Ask");
                f.driver.key(kVkReturn);
                EXPECT_EQ(f.driver.snapshot().front(), "== Kept ==");
            }},
        {"while a notification is up the soft-key bar shows its key",
            [](Fixture& f) {
                f.driver.menu(u"Options", u"Notify");
                const Lines shown = f.driver.snapshot();
                EXPECT_EQ(shown.back(), "softkeys: [Dismiss]");
                EXPECT_FALSE(contains(shown, "softkeys: [Select] [Options]"));
                Compositor compositor;
                f.driver.compose(&compositor);
                const Bitmap& frame = compositor.frame();
                const int barTop = frame.height() - systemMetric(kMetricMenuHeight);
                EXPECT_GT(inkRuns(frame, barTop, frame.height(), 0, frame.width() / 2), 0)
                    << "its key on the left";
                EXPECT_EQ(inkRuns(frame, barTop, frame.height(), frame.width() / 2, frame.width()), 0)
                    << "nothing on the right";
                f.driver.softKey(1);
                EXPECT_EQ(f.driver.snapshot().back(), "softkeys: [Dismiss]")
                    << "F2 did not open Options below";
                f.driver.softKey(0);
                EXPECT_EQ(f.driver.snapshot().back(), "softkeys: [Select] [Options]");
            }},
        {"after the platform's own picker the focus is back on the list",
            [](Fixture& f) {
                setFrontEndPresent(true);
                f.driver.menu(u"Options", u"Pick");
                f.driver.key(kVkReturn);
                EXPECT_EQ(f.driver.snapshot().front(), "== Picked 0 ==");
                f.driver.key(kVkDown);
                f.driver.key(kVkReturn);
                EXPECT_EQ(f.driver.snapshot().front(), "== Opened Alice ==")
                    << "Down and Enter reached the list";
            }},
        {"the focus mark sits on the selected row",
            [](Fixture& f) {
                f.driver.key(kVkDown);
                f.driver.key(kVkDown);
                EXPECT_EQ(f.driver.snapshot()[1], "    Alice");
                EXPECT_EQ(f.driver.snapshot()[2], "  > * Bob");
            }},
        {"the terminal shows the active window and its soft keys first, the covered one by its title",
            [](Fixture& f) {
                setFrontEndPresent(true);
                f.driver.menu(u"Options", u"Ask");
                const Lines shown = f.driver.activeSnapshot();
                ASSERT_EQ(shown.size(), 4u);
                EXPECT_EQ(shown[0], "> == Send ==");
                EXPECT_EQ(shown[2], "softkeys: [Yes] [No]");
                EXPECT_EQ(shown[3], "== Faults ==");
                f.driver.key(kVkEscape);
            }},
        {"a tap on a row reaches the list under it and opens the row",
            [](Fixture& f) {
                Compositor compositor;
                f.driver.compose(&compositor);
                const int row = f.screen.list().rowHeight();
                f.driver.tap(60, systemMetric(kMetricCaptionHeight) + 2 * row + row / 2);
                EXPECT_EQ(f.driver.snapshot().front(), "== Opened Carol ==");
            }},
        {"a tap on the left soft key presses it",
            [](Fixture& f) {
                Compositor compositor;
                f.driver.compose(&compositor);
                const int row = f.screen.list().rowHeight();
                f.driver.tap(60, systemMetric(kMetricCaptionHeight) + row + row / 2);
                f.driver.tap(20, compositor.frame().height() - 5);
                EXPECT_EQ(f.driver.snapshot().front(), "== Chose Bob ==");
            }},
        {"a tap on a menu entry chooses it",
            [](Fixture& f) {
                f.driver.softKey(1);
                Compositor compositor;
                f.driver.compose(&compositor);
                const int barTop = compositor.frame().height() - systemMetric(kMetricMenuHeight);
                const int row = Compositor::menuRowHeight();
                const int menuTop = barTop - (3 * row + 2);
                f.driver.tap(200, menuTop + 1 + 1 * row + row / 2); // Notify
                EXPECT_EQ(f.driver.snapshot().back(), "softkeys: [Dismiss]");
            }},
        {"transparent pixels of a GIF are blended over the background",
            [](Fixture& f) {
                TESSEL_REQUIRE_TOOL(testToolConvert());
                EXPECT_EQ(shownHole(f, transparentPicture(f.root, "gif")), systemColor(kColorWindow));
            }},
        {"transparent pixels of a PNG are blended over the background",
            [](Fixture& f) {
                TESSEL_REQUIRE_TOOL(testToolConvert());
                EXPECT_EQ(shownHole(f, transparentPicture(f.root, "png")), systemColor(kColorWindow));
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        Screen screen;
        ScreenDriver driver(screen.thread.threadId());
        ASSERT_TRUE(driver.settle());
        Fixture fixture {root, screen, driver};
        c.run(fixture);
        setFrontEndPresent(false);
    }
}

} // namespace
} // namespace tessel::ui
