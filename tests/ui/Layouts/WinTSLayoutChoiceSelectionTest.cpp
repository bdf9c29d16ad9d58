#include "ui/Layouts/WinTSLayoutChoiceSelection.h"
#include "engine/screens/VXLChoiceElement.h"
#include "engine/screens/VXLLayoutChoiceSelection.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/ListView.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

constexpr std::uint32_t kSelect = CWinTSLayoutChoiceSelection::kSelect;
constexpr std::uint32_t kContinue = CWinTSLayoutChoiceSelection::kContinue;
using Actions = std::vector<std::uint32_t>;

class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 3; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    Actions actions;
};

void drain()
{
    ui::Message message;
    while (ui::peekMessage(&message, true)) {
        if (message.id != ui::kWmQuit)
            ui::dispatchMessage(message);
    }
}

// A choice screen of three choices ("Red", "Green", "Blue"), one of them
// marked selected when asked, with its time-out, over a recording job.
struct ChoiceScreen {
    explicit ChoiceScreen(std::uint32_t timeout, int marked = -1)
    {
        const char* texts[] = {"Red", "Green", "Blue"};
        for (int i = 0; i < 3; ++i) {
            auto* choice = new CVXLChoiceElement;
            choice->setKey(texts[i]);
            choice->setText(texts[i]);
            if (i == marked)
                choice->setSelected(1);
            layout.addChoice(choice);
        }
        layout.setTitleText("Pick a colour");
        layout.setTimeout(timeout);
        layout.setOwner(&job);
        window = std::make_unique<CWinTSLayoutChoiceSelection>(&layout, WinTSDialogLink {0, 0, 0, 0, 0});
        window->createModeless(u"Choice");
    }
    ~ChoiceScreen() { window->destroy(); }

    ui::ListView& list()
    {
        return *dynamic_cast<ui::ListView*>(window->child(CWinTSLayoutChoiceSelection::kListControl));
    }
    // The command the window mapped Continue to.
    std::uint32_t continueCommand() const
    {
        for (std::uint32_t n = 1; n <= window->actionCount(); ++n) {
            if (window->action(n).eventId == kContinue)
                return CWinTSLayout::kFirstActionCommand + n;
        }
        return 0;
    }

    CVXLLayoutChoiceSelection layout;
    RecordingJob job;
    std::unique_ptr<CWinTSLayoutChoiceSelection> window;
};

TEST(WinTSLayoutChoiceSelection, TheTimeOutContinuesOnceUnlessTheUserChoseFirst)
{
    TempDeviceRoot root;
    struct Case {
        const char* name;
        std::uint32_t timeout;
        int pickAtMs; // -1: the user picks nothing
        Actions atFourSeconds;
        Actions atTheEnd;
    };
    const Case cases[] = {
        {"a time-out of 5", 5, -1, {}, {kContinue}},
        {"the low 16 bits count", 0x10005, -1, {}, {kContinue}},
        {"no time-out", 0, -1, {}, {}},
        {"a pick before the time-out", 5, 2000, {kSelect, kContinue}, {kSelect, kContinue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kernel::driveClock(1000, 1'200'000'000);
        {
            ChoiceScreen screen(c.timeout);
            EXPECT_EQ(screen.window->timerRunning(), c.timeout != 0);
            for (int ms = 0; ms < 4000; ms += 500) {
                if (ms == c.pickAtMs)
                    screen.list().tap(1);
                kernel::advanceClock(500);
                drain();
            }
            EXPECT_EQ(screen.job.actions, c.atFourSeconds);
            kernel::advanceClock(999);
            drain();
            EXPECT_EQ(screen.job.actions, c.atFourSeconds) << "not before five seconds";
            for (int i = 0; i < 60; ++i) {
                kernel::advanceClock(1000);
                drain();
            }
            EXPECT_EQ(screen.job.actions, c.atTheEnd);
            EXPECT_FALSE(screen.window->timerRunning());
        }
        kernel::releaseClock();
    }
}

TEST(WinTSLayoutChoiceSelection, OnlyTheFirstPickOfARowCounts)
{
    TempDeviceRoot root;
    root.writeDeviceConf("platform = pocketpc\n");
    ChoiceScreen screen(0);
    ASSERT_EQ(screen.list().selected(), -1);
    EXPECT_EQ(screen.window->actionCount(), 4u) << "Select is kept out of the actions";

    // OK and Continue with no row selected pick nothing and block nothing.
    screen.window->windowProc(ui::kWmCommand, ui::kIdOk, 0);
    screen.window->SubmitAction(screen.continueCommand());
    EXPECT_TRUE(screen.job.actions.empty());
    EXPECT_FALSE(screen.window->selected());
    EXPECT_TRUE(screen.window->enabled());

    screen.list().tap(2);
    EXPECT_EQ(screen.job.actions, (Actions {kSelect, kContinue}));
    EXPECT_EQ(screen.layout.selectedIndex(), 2);
    ASSERT_NE(screen.layout.selectedKey(), nullptr);
    EXPECT_STREQ(screen.layout.selectedKey()->c_str(), "Blue");
    EXPECT_FALSE(screen.window->enabled()) << "the window waits for the engine";

    // A second pick, even after the engine answered, is ignored.
    screen.window->Refresh(&screen.layout);
    screen.list().tap(0);
    screen.window->SubmitAction(screen.continueCommand());
    screen.window->windowProc(ui::kWmCommand, ui::kIdOk, 0);
    EXPECT_EQ(screen.job.actions, (Actions {kSelect, kContinue}));
    EXPECT_EQ(screen.layout.selectedIndex(), 2);
}

TEST(WinTSLayoutChoiceSelection, ASmartphoneStartsOnTheFirstRowWhenNoChoiceIsMarked)
{
    TempDeviceRoot root;
    struct Case {
        const char* platform;
        int marked;
        int selectedRow;
    };
    const Case cases[] = {
        {"smartphone", -1, 0},
        {"pocketpc", -1, -1},
        {"smartphone", 2, 2},
        {"pocketpc", 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.platform) + " marked " + std::to_string(c.marked));
        root.writeDeviceConf(std::string("platform = ") + c.platform + "\n");
        ChoiceScreen screen(0, c.marked);
        EXPECT_EQ(screen.list().selected(), c.selectedRow);
        EXPECT_EQ(screen.list().itemCount(), 3);
        EXPECT_EQ(screen.list().itemText(1), u"Green");
        EXPECT_EQ(ui::focusWindow(), screen.list().handle());
        ASSERT_NE(screen.window->view(), nullptr);
        EXPECT_TRUE(screen.window->view()->links().empty());
        EXPECT_NE(screen.window->view()->source().find(u"Pick a colour"), std::u16string::npos);
        // Enter on the list picks its row, as OK does.
        screen.list().windowProc(ui::kWmKeyDown, ui::kVkReturn, 0);
        const Actions picked = c.selectedRow < 0 ? Actions {} : Actions {kSelect, kContinue};
        EXPECT_EQ(screen.job.actions, picked);
    }
}

} // namespace
