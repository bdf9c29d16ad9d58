#include "ui/Layouts/WinTSLayoutContactChooser.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLLayoutContactChooser.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

constexpr std::uint32_t kContinue = CWinTSLayoutContactChooser::kContinue;

class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 27; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

struct Entry {
    std::int32_t kind;
    std::string address;
    std::string shown;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e)
{
    return out << e.kind << " " << e.address << " (" << e.shown << ")";
}

std::vector<Entry> globalEntries(const CVXLLayout& layout)
{
    std::vector<Entry> entries;
    CVXLContactListElement* list = layout.globalContactContainer();
    for (std::uint32_t i = 0; list && i < list->count(); ++i)
        entries.push_back(
            Entry {list->at(i)->kind(), list->at(i)->address().c_str(), list->at(i)->displayName().c_str()});
    return entries;
}

// A chooser opened over an engine's global contact list.
struct Chooser {
    explicit Chooser(TempDeviceRoot* root)
        : engine(root)
    {
        engine.create();
        job.setPool(engine.client()->getUiJobPool());
        layout.setOwner(&job);
        layout.globalContactContainer()->clear();
        layout.prepare();
        window = std::make_unique<CWinTSLayoutContactChooser>(&layout, WinTSDialogLink {0, 0, 0, 0, 0});
        window->createModeless(u"Chooser");
    }
    ~Chooser() { window->destroy(); }
    std::uint32_t continueCommand() const
    {
        for (std::uint32_t n = 1; n <= window->actionCount(); ++n) {
            if (window->action(n).eventId == kContinue)
                return CWinTSLayout::kFirstActionCommand + n;
        }
        return 0;
    }

    EngineDriver engine;
    // The job outlives its layout, which asks it for the services as it ends.
    RecordingJob job;
    CVXLLayoutContactChooser layout;
    std::unique_ptr<CWinTSLayoutContactChooser> window;
};

TEST(WinTSLayoutContactChooser, TheLaunchRecipientsAreTakenOnceAndTheFlowContinues)
{
    TempDeviceRoot root;
    struct Case {
        const char16_t* to;
        std::vector<Entry> added;
    };
    const Case cases[] = {
        {u"a@example.com;4255550100;",
            {{2, "a@example.com", "a@example.com"}, {2, "4255550100", "4255550100"}}},
        {u"a@example.com;4255550100",
            {{2, "a@example.com", "a@example.com"}, {2, "4255550100", "4255550100"}}},
        {u";;b@example.com;;", {{2, "b@example.com", "b@example.com"}}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.to, c.to + std::char_traits<char16_t>::length(c.to)));
        registryWrite(u"Compose", u"To:", c.to);
        Chooser chooser(&root);
        EXPECT_EQ(globalEntries(chooser.layout), c.added);
        std::u16string to = u"-";
        EXPECT_TRUE(registryRead(u"Compose", u"To:", &to));
        EXPECT_EQ(to, u"") << "the value is consumed";
        EXPECT_EQ(chooser.job.actions, (std::vector<std::uint32_t> {kContinue}));
        EXPECT_EQ(chooser.window->windowRect(), (ui::Rect {0, 0, 1, 1}));
        EXPECT_EQ(chooser.window->titleWindow(), nullptr);
    }
}

TEST(WinTSLayoutContactChooser, AContactsMobileNumberIsTakenAsItsDigitsAndTheKeysComeBack)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt",
        "oid = 7\nfile-as = Smith, Anna\nname = Anna Smith\n"
        "email1 = anna@example.com\nmobile = +1 (425) 555-0100\n"
        "oid = 8\nname = Bo\nemail2 = bo@example.com\n");
    struct Case {
        const char16_t* to;
        int row; // the property chosen, -1 cancels, -2 no list shows
        std::vector<Entry> added;
    };
    const Case cases[] = {
        {u"Outlook:7", 1, {{CVXLAddressee::kPhone, "14255550100", "Anna Smith 14255550100"}}},
        {u"Outlook:7", 0, {{CVXLAddressee::kEmail, "anna@example.com", "anna@example.com"}}},
        {u"Outlook:8", 0, {{CVXLAddressee::kEmail, "bo@example.com", "bo@example.com"}}},
        {u"Outlook:7", -1, {}},
        {u"Outlook:99", -2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.to, c.to + std::char_traits<char16_t>::length(c.to)) + " row "
            + std::to_string(c.row));
        registryWrite(u"Compose", u"To:", c.to);
        if (c.row != -2)
            ui::scriptPickerAnswer(c.row);
        {
            Chooser chooser(&root);
            EXPECT_EQ(globalEntries(chooser.layout), c.added);
            const ui::Window* focus = ui::windowFromHandle(ui::focusWindow());
            ASSERT_NE(focus, nullptr);
            EXPECT_EQ(const_cast<ui::Window*>(focus)->topLevel(), chooser.window.get())
                << "the keys are back in the chooser";
            EXPECT_EQ(chooser.job.actions, (std::vector<std::uint32_t> {kContinue}));
        }
    }
}

TEST(WinTSLayoutContactChooser, ContinueNeedsTheMinimumOfRecipients)
{
    TempDeviceRoot root;
    Chooser chooser(&root);
    chooser.job.actions.clear();
    const std::uint32_t command = chooser.continueCommand();
    ASSERT_NE(command, 0u);
    chooser.window->Refresh(&chooser.layout);
    chooser.window->SubmitAction(command);
    EXPECT_TRUE(chooser.job.actions.empty()) << "no recipient, no Continue";
    EXPECT_TRUE(chooser.window->enabled());

    // The container shown on a screen change: what is typed there is stored first.
    chooser.window->windowProc(ui::kWmSettingChange, CWinTSLayout::kSettingScreen, 0);
    CWinTSElementContactContainer* container = chooser.window->container();
    ASSERT_NE(container, nullptr);
    chooser.window->windowProc(ui::kWmSettingChange, CWinTSLayout::kSettingScreen, 0);
    EXPECT_EQ(chooser.window->container(), container) << "made once";
    EXPECT_EQ(chooser.window->GetCurrentElement(), container);
    container->edit().windowProc(ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(u"425-555-0199"));
    chooser.window->SubmitAction(command);
    EXPECT_EQ(chooser.job.actions, (std::vector<std::uint32_t> {kContinue}));
    EXPECT_EQ(globalEntries(chooser.layout), (std::vector<Entry> {{2, "4255550199", "4255550199"}}));
}

} // namespace
