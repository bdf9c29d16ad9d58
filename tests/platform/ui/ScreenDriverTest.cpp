#include "platform/ui/ScreenDriver.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ListView.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Notification.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

constexpr std::uint32_t kSelect = 100;
constexpr std::uint32_t kReset = 32781;
constexpr std::uint32_t kNotify = 32783;

// A small screen: a list, "Select" and an "Options" popup; Reset asks first.
class InboxDialog : public Dialog {
public:
    ListView list;

protected:
    void onCreate() override
    {
        auto options = std::make_shared<Menu>();
        options->add(kReset, u"Reset").add(32782, u"Delete", true).add(kNotify, u"Notify");
        auto bar = std::make_shared<Menu>();
        bar->add(kSelect, u"Select").addPopup(u"Options", options);
        setMenuBar(bar);
        list.create(this, 1006, ListView::kReport);
        for (const char16_t* row : {u"Alice", u"Bob", u"Carol"})
            list.insertItem(-1, row);
        setFocus(list.handle());
    }
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override
    {
        if (id == kSelect)
            setText(u"Chose " + list.itemText(list.selectionMark()));
        else if (id == kReset)
            setText(messageBox(this, u"Reset all?", u"Inbox", BoxButtons::YesNo, kIdNo) == kIdYes ? u"Reset"
                                                                                                  : u"Kept");
        else if (id == kNotify)
            Notification::show(u"Tessel", u"<HTML><BODY>Sent.<br>3 pictures</BODY></HTML>", 20, u"Dismiss");
        else
            return Dialog::onCommand(id, code);
        return 0;
    }
};

// The screen runs on its own thread; the test drives it as a person would.
struct Screen : DialogScreen<InboxDialog> {
    Screen()
        : DialogScreen(u"Inbox")
    {
    }
};

TEST(ScreenDriver, KeysSoftKeysAndTheOptionsMenuChangeTheSnapshot)
{
    TempDeviceRoot root;
    Screen screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    EXPECT_EQ(driver.snapshot(),
        (Lines {"== Inbox ==", "  >   Alice", "    Bob", "    Carol", "softkeys: [Select] [Options]"}));
    driver.key(kVkDown);
    driver.key(kVkDown);
    driver.softKey(0);
    EXPECT_EQ(driver.snapshot().front(), "== Chose Bob ==");
    driver.softKey(1);
    EXPECT_EQ(driver.snapshot(),
        (Lines {"== Chose Bob ==", "    Alice", "  > * Bob", "    Carol", "menu:", "  > Reset",
            "    Delete (grayed)", "    Notify", "softkeys: [Select] [Options]"}));
    driver.key(kVkEscape);
    EXPECT_FALSE(driver.menu(u"Options", u"Delete"));
    EXPECT_EQ(driver.snapshot().front(), "== Chose Bob ==");
}

TEST(ScreenDriver, ABoxWaitsForItsAnswerAndShowsMeanwhile)
{
    TempDeviceRoot root;
    Screen screen;
    ScreenDriver driver(screen.thread.threadId());
    setFrontEndPresent(true);
    ASSERT_TRUE(driver.menu(u"Options", u"Reset"));
    EXPECT_EQ(driver.snapshot(),
        (Lines {"== Inbox == (disabled)", "    Alice", "    Bob", "    Carol", "softkeys: [Select] [Options]",
            "> == Inbox ==", "Reset all?", "softkeys: [Yes] [No]"}));
    driver.answer(kIdYes);
    EXPECT_EQ(driver.snapshot().front(), "== Reset ==");
    EXPECT_EQ(driver.snapshot()[1], "  >   Alice") << "the list has the keys again";

    // With a front end, Escape is the box's second button.
    ASSERT_TRUE(driver.menu(u"Options", u"Reset"));
    driver.key(kVkEscape);
    EXPECT_EQ(driver.snapshot().front(), "== Kept ==");
    setFrontEndPresent(false);

    // Scripted ahead, the box takes the answer once it shows.
    driver.answer(kIdYes);
    driver.key(kVkDown);
    ASSERT_TRUE(driver.menu(u"Options", u"Reset"));
    EXPECT_EQ(driver.snapshot().front(), "== Reset ==");
    EXPECT_EQ(root.readFile("log/msgbox.log"), "");
}

TEST(ScreenDriver, TheNotificationOverlayEndsWithItsDurationOrDismiss)
{
    TempDeviceRoot root;
    kernel::driveClock(5000, 0);
    {
        Screen screen;
        ScreenDriver driver(screen.thread.threadId());
        const Lines shown {"== Inbox ==", "  >   Alice", "    Bob", "    Carol", "** Tessel **", "Sent.",
            "3 pictures", "softkeys: [Dismiss]"};
        ASSERT_TRUE(driver.menu(u"Options", u"Notify"));
        EXPECT_EQ(driver.snapshot(), shown);
        driver.advance(19999);
        EXPECT_EQ(driver.snapshot(), shown);
        driver.advance(1);
        EXPECT_EQ(driver.snapshot().size(), 5u) << "gone after 20 seconds";

        ASSERT_TRUE(driver.menu(u"Options", u"Notify"));
        driver.softKey(0);
        EXPECT_EQ(driver.snapshot().size(), 5u) << "Dismiss took the soft key";
        EXPECT_EQ(driver.snapshot().front(), "== Inbox ==") << "and Select did not run";
    }
    kernel::releaseClock();
    EXPECT_EQ(root.readFile("log/notify.log"),
        "Tessel: <HTML><BODY>Sent.<br>3 pictures</BODY></HTML>\n"
        "Tessel: <HTML><BODY>Sent.<br>3 pictures</BODY></HTML>\n");
}

} // namespace
} // namespace tessel::ui
