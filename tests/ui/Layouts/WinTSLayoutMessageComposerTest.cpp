#include "ui/Layouts/WinTSLayoutMessageComposer.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "engine/screens/VXLMediaListElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowSystem.h"
#include "tests/screens/ComposeFixture.h"
#include "tests/support/TestProcess.h"
#include "ui/Elements/WinTSElementContactContainer.h"
#include "ui/Elements/WinTSElementMediaContainer.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;
using Keys = std::vector<std::string>;
using Composer = CWinTSLayoutMessageComposer;

// The soft keys as text: an item's label, a pop-up as its label and its
// entries in brackets.
Keys softKeys(const ui::Dialog& window)
{
    Keys keys;
    const ui::Menu* bar = window.menuBar();
    for (std::size_t i = 0; bar && i < bar->items().size(); ++i) {
        const ui::MenuItem& item = bar->items()[i];
        std::string key = kernel::wideToUtf8(item.text);
        if (item.popup) {
            key += "[";
            for (const ui::MenuItem& entry : item.popup->items())
                key += (entry.separator ? "-" : kernel::wideToUtf8(entry.text)) + "|";
            key += "]";
        }
        keys.push_back(key);
    }
    return keys;
}

// Records each action with the soft keys shown and the recipients the
// engine held when it came.
class ComposerJob : public CVXLUiJob {
public:
    struct Seen {
        std::uint32_t eventId;
        Keys keys;
        std::uint32_t recipients;
    };
    int typeId() const override { return 10; }
    void onLayoutAction(std::uint32_t eventId) override
    {
        seen.push_back(
            Seen {eventId, window ? softKeys(*window) : Keys {}, services()->globalContacts()->count()});
    }
    std::vector<std::uint32_t> events() const
    {
        std::vector<std::uint32_t> ids;
        for (const Seen& s : seen)
            ids.push_back(s.eventId);
        return ids;
    }
    const ui::Dialog* window = nullptr;
    std::vector<Seen> seen;
};

// The road scenario's three fields (recipients, pictures, subject) in a
// composer window over the real engine layout.
class ComposerWindowTest : public ComposeFixture {
public:
    void open(const char* scenarioName = "__vxl_sendto_recipients")
    {
        ASSERT_TRUE(load(scenarioName, scenario));
        job.setPool(client->getUiJobPool());
        layout.setOwner(&job);
        layout.build(&scenario);
        window = std::make_unique<Composer>(&layout, WinTSDialogLink {0, 0, 0, 0, 0});
        job.window = window.get();
        ASSERT_TRUE(window->createModeless(u"Compose"));
        pump();
        job.seen.clear();
    }
    void TearDown() override
    {
        job.window = nullptr;
        if (window)
            window->destroy();
        window.reset();
        ComposeFixture::TearDown();
    }
    // Runs what the windows posted to each other.
    void pump()
    {
        ui::Message message;
        for (int i = 0; i < 1000 && ui::peekMessage(&message, true); ++i)
            ui::dispatchMessage(message);
    }
    CWinTSElementContactContainer* recipients() const
    {
        return dynamic_cast<CWinTSElementContactContainer*>(window->elementWindow(0));
    }
    CWinTSElementMediaContainer* media() const
    {
        return dynamic_cast<CWinTSElementMediaContainer*>(window->elementWindow(1));
    }
    // The element's top on the screen: where it lies less the scroll.
    int shownTop(std::uint32_t i) const { return window->elementWindow(i)->windowRect().top; }

    CScenarioLayout scenario;
    CVXLLayoutMessageComposer layout;
    ComposerJob job;
    std::unique_ptr<Composer> window;
};

TEST_F(ComposerWindowTest, EachFieldGetsTheWindowOfItsElementTypeAndTheFirstIsCurrent)
{
    open();
    ASSERT_EQ(window->elementCount(), 3u);
    EXPECT_NE(recipients(), nullptr);
    EXPECT_NE(media(), nullptr);
    EXPECT_EQ(window->currentIndex(), 0);
    EXPECT_EQ(window->GetCurrentElement(), window->elementWindow(0));
    EXPECT_EQ(layout.currentFieldSlot(), layout.getField(0));
    for (std::uint32_t n = 1; n <= window->actionCount(); ++n)
        EXPECT_NE(window->action(n).eventId, Composer::kEventBack) << "Back is never mapped";
}

TEST_F(ComposerWindowTest, LeavingAFieldStoresItAndSendsUpdateBeforeTheNewSoftKeys)
{
    open();
    const Keys recipientKeys = softKeys(*window);
    recipients()->edit().windowProc(
        ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(std::u16string(u"4255550100").c_str()));
    ASSERT_EQ(layout.globalContactContainer()->count(), 0u);

    EXPECT_TRUE(window->OnHardKey(ui::kVkDown));
    ASSERT_EQ(job.events(), (std::vector<std::uint32_t> {Composer::kEventUpdate}));
    EXPECT_EQ(job.seen[0].recipients, 1u) << "the typed address was stored before Update";
    EXPECT_EQ(job.seen[0].keys, recipientKeys) << "Update came before the new soft keys";
    EXPECT_EQ(window->currentIndex(), 1);
    EXPECT_EQ(layout.currentFieldSlot(), layout.getField(1));
    EXPECT_EQ(softKeys(*window), (Keys {"Add"}));

    // A value the element says it changed goes back at once.
    engine.root().writeFile("My Documents/My Pictures/a.jpg", "x");
    ASSERT_TRUE(media()->AddFile(u"\\My Documents\\My Pictures\\a.jpg"));
    pump();
    EXPECT_EQ(job.events(), (std::vector<std::uint32_t> {Composer::kEventUpdate, Composer::kEventUpdate}));
    ASSERT_EQ(layout.imageList()->count(), 1u);
    EXPECT_STREQ(layout.imageList()->at(0)->id().c_str(), "\\My Documents\\My Pictures\\a.jpg");
    EXPECT_EQ(softKeys(*window), (Keys {"Menu[Add|Remove|]"}));
}

// The right soft key by the current element window's menu: one entry
// itself, several a "Menu" pop-up, none the field's own right key.
TEST_F(ComposerWindowTest, TheElementsMenuEntriesBecomeTheRightSoftKey)
{
    open();
    EXPECT_EQ(softKeys(*window), (Keys {"Contacts"})) << "an empty recipient list offers one entry";
    ASSERT_TRUE(recipients()->AddAddress(u"4255550100"));
    recipients()->OnKey(ui::kVkUp);
    pump();
    EXPECT_EQ(softKeys(*window), (Keys {"Menu[Contacts|Remove|Edit|]"})) << "a row chosen: three entries";

    // Choosing an entry runs the element's command.
    const ui::MenuItem& popup = window->menuBar()->items().back();
    window->windowProc(ui::kWmCommand, popup.popup->items()[1].id, 0);
    pump();
    EXPECT_TRUE(recipients()->recipients().empty());

    window->OnHardKey(ui::kVkDown);
    window->OnHardKey(ui::kVkDown);
    pump();
    EXPECT_EQ(window->currentIndex(), 2);
    EXPECT_EQ(window->GetCurrentElement()->GetMenuItemCount(), 0);
    EXPECT_EQ(softKeys(*window), (Keys {"Send"})) << "a window without entries: the field's right key";
}

// Up, Down and Escape with the focus on a field: where the focus goes and
// whether Update was sent. The ends swallow the key without moving.
TEST_F(ComposerWindowTest, UpDownAndEscapeAreSwallowedAtTheEnds)
{
    struct Case {
        int from;
        std::uint32_t key;
        int to;
        bool update;
    };
    const Case cases[] = {
        {0, ui::kVkUp, 0, false},
        {0, ui::kVkDown, 1, true},
        {2, ui::kVkDown, 2, false},
        {2, ui::kVkUp, 1, true},
        {1, ui::kVkEscape, 1, false},
        {0, ui::kVkEscape, 0, false},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " key " + std::to_string(c.key));
        window->windowProc(
            ui::kWmCommand, Composer::kCommandFocusBase + static_cast<std::uint32_t>(c.from), 0);
        pump();
        ASSERT_EQ(window->currentIndex(), c.from);
        job.seen.clear();
        EXPECT_TRUE(window->OnHardKey(c.key)) << "swallowed";
        EXPECT_EQ(window->currentIndex(), c.to);
        EXPECT_EQ(!job.seen.empty(), c.update);
        EXPECT_TRUE(window->exists()) << "the screen stays";
    }
}

TEST_F(ComposerWindowTest, ANewHeightRestacksTheFieldsBelow)
{
    open();
    const int gap1 = window->elementRect(1).top - window->elementRect(0).bottom;
    const int gap2 = window->elementRect(2).top - window->elementRect(1).bottom;
    EXPECT_EQ(gap1, 0);
    EXPECT_EQ(gap2, 0);
    const int height1 = window->elementRect(1).height();
    const int height2 = window->elementRect(2).height();

    // The media grid grows by a row of thumbnails.
    for (int i = 0; i < 5; ++i) {
        const std::string name = "p" + std::to_string(i) + ".jpg";
        engine.root().writeFile("My Documents/My Pictures/" + name, "x");
        auto* item = new CVXLMediaItem;
        item->setId(("\\My Documents\\My Pictures\\" + name).c_str());
        layout.imageList()->adopt(item);
    }
    layout.imageList()->setLimits(0, 10);
    media()->Refresh(layout.getField(1));
    pump();
    EXPECT_GT(window->elementRect(1).height(), height1);
    EXPECT_EQ(window->elementRect(2).top, window->elementRect(1).bottom) << "the next field starts below it";
    EXPECT_EQ(window->elementRect(2).height(), height2) << "and keeps its height";
    EXPECT_EQ(shownTop(2), window->elementRect(2).top) << "the column is at its top";
    EXPECT_EQ(window->scrollInfo().max, window->elementRect(2).bottom);
}

TEST_F(ComposerWindowTest, AFieldBelowTheFrameIsScrolledIntoViewWhenFocused)
{
    open();
    for (int i = 0; i < 12; ++i) {
        auto* item = new CVXLMediaItem;
        item->setId(("\\My Documents\\My Pictures\\p" + std::to_string(i) + ".jpg").c_str());
        layout.imageList()->adopt(item);
    }
    layout.imageList()->setLimits(0, 20);
    media()->Refresh(layout.getField(1));
    pump();
    const ui::Rect content = window->GetContentRect();
    ASSERT_GT(window->elementRect(2).bottom, content.bottom) << "the subject lies below the frame";

    window->windowProc(ui::kWmCommand, Composer::kCommandFocusBase + 2, 0);
    pump();
    ASSERT_EQ(window->currentIndex(), 2);
    EXPECT_LT(window->GetScrollOffset(), 0);
    const ui::Rect shown = window->elementWindow(2)->windowRect();
    EXPECT_GE(shown.top, content.top) << "its top in view";
    EXPECT_TRUE(shown.bottom <= content.bottom || shown.top == content.top)
        << "and all of it, or its top first when it is taller than the frame";
    EXPECT_EQ(window->scrollInfo().position, -window->GetScrollOffset());

    // Back at the first field the column is at its top again; Up leaves the
    // grid from its first thumbnail.
    window->OnHardKey(ui::kVkUp);
    window->OnHardKey(ui::kVkUp);
    pump();
    ASSERT_EQ(window->currentIndex(), 0);
    EXPECT_EQ(window->GetScrollOffset(), 0);
    EXPECT_EQ(shownTop(0), window->elementRect(0).top);
    EXPECT_EQ(window->scrollInfo().position, 0);

    // The scroll bar moves the column too, and stops at its ends.
    window->windowProc(ui::kWmVScroll, ui::kSbPageDown, 0);
    EXPECT_LT(window->GetScrollOffset(), 0);
    window->windowProc(ui::kWmVScroll, ui::kSbBottom, 0);
    window->windowProc(ui::kWmVScroll, ui::kSbPageDown, 0);
    const ui::ScrollInfo bottom = window->scrollInfo();
    EXPECT_EQ(bottom.position, bottom.max - bottom.page);
    EXPECT_EQ(window->GetScrollOffset(), -bottom.position);
    window->windowProc(ui::kWmVScroll, ui::kSbTop, 0);
    window->windowProc(ui::kWmVScroll, ui::kSbLineUp, 0);
    EXPECT_EQ(window->GetScrollOffset(), 0);
}

// The OK command by device profile: a smartphone cancels at once; a
// touch-screen phone asks first, Yes cancels and Enter gives No.
TEST_F(ComposerWindowTest, OnATouchScreenTheExitQuestionComesFirst)
{
    struct Case {
        const char* platform;
        const char* answer; // "yes", "enter" or "" (no box expected)
        std::vector<std::uint32_t> events;
    };
    const std::vector<std::uint32_t> cancelled {Composer::kEventUpdate, Composer::kEventCancel};
    const Case cases[] = {
        {"smartphone", "", cancelled},
        {"pocketpc", "yes", cancelled},
        {"pocketpc", "enter", {}},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.platform) + " " + c.answer);
        engine.root().writeDeviceConf(std::string("platform = ") + c.platform + "\n");
        engine.root().writeFile("log/msgbox.log", "");
        window->Refresh(&layout);
        job.seen.clear();
        const std::string answer = c.answer;
        if (answer == "yes")
            ui::scriptBoxAnswer(ui::kIdYes);
        if (answer == "enter") {
            ui::setFrontEndPresent(true);
            ui::postInput(ui::uiThreadId(), ui::kWmKeyDown, ui::kVkReturn, 0);
        }
        window->windowProc(ui::kWmCommand, ui::kIdOk, 0);
        ui::setFrontEndPresent(false);
        pump();
        EXPECT_EQ(job.events(), c.events);
    }
    // Without anyone to answer, the box takes its default: No.
    engine.root().writeDeviceConf("platform = pocketpc\n");
    window->Refresh(&layout);
    job.seen.clear();
    window->windowProc(ui::kWmCommand, ui::kIdOk, 0);
    EXPECT_TRUE(job.seen.empty());
    EXPECT_EQ(testLines(engine.root().readFile("log/msgbox.log")).back(),
        "Tessel: Are you sure you want to exit Tessel Composer? -> No");
}

} // namespace
