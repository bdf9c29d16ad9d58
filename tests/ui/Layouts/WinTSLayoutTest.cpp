#include "ui/Layouts/WinTSLayout.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLLayoutProgressBar.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace tessel;

class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 1; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// A layout of the given rows in state 0, some of them not submittable.
class TableLayout : public CVXLLayout {
public:
    struct Row {
        std::uint32_t action;
        std::uint32_t kind;
        const char* label;
        bool enabled = true;
    };
    TableLayout(std::uint32_t type, std::vector<Row> rows)
        : CVXLLayout(type)
        , rows_(std::move(rows))
    {
        for (const Row& r : rows_)
            table_.push_back(CVXLLayoutCommandRow {0, layoutEventId(type, r.action), r.kind, 0});
    }
    const CVXLLayoutCommandRow* getCommandTable() const override { return table_.data(); }
    std::uint32_t getCommandCount() const override { return static_cast<std::uint32_t>(table_.size()); }
    CVXLString getTitle() const override { return "Table"; }
    CVXLString getActionLabel(std::uint32_t eventId) const override
    {
        const Row* r = row(eventId);
        return r ? r->label : "";
    }
    bool canSubmitAction(std::uint32_t eventId) const override
    {
        const Row* r = row(eventId);
        return r && r->enabled && hasAction(eventId);
    }

private:
    const Row* row(std::uint32_t eventId) const
    {
        for (const Row& r : rows_) {
            if (layoutEventId(layoutType(), r.action) == eventId)
                return &r;
        }
        return nullptr;
    }
    std::vector<Row> rows_;
    std::vector<CVXLLayoutCommandRow> table_;
};

// The main dialog's stand-in: it keeps what the layout windows post to it.
class DialogRecorder : public ui::Window {
public:
    struct Posted {
        std::uint32_t id;
        std::uint64_t wParam;
        std::int64_t lParam;
    };
    std::vector<Posted> posted;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message >= 0x801b && message <= 0x801e)
            posted.push_back(Posted {message, wParam, lParam});
        return Window::windowProc(message, wParam, lParam);
    }
    std::vector<std::uint32_t> ids() const
    {
        std::vector<std::uint32_t> out;
        for (const Posted& p : posted)
            out.push_back(p.id);
        return out;
    }
};

void drain()
{
    ui::Message message;
    while (ui::peekMessage(&message, true)) {
        if (message.id != ui::kWmQuit)
            ui::dispatchMessage(message);
    }
}

// The soft keys as they read: "left | right", a pop-up as
// "Options[a, b (grayed)]", a grayed key with "(grayed)".
std::string barOf(const ui::Dialog& window)
{
    const ui::Menu* bar = window.menuBar();
    std::string out;
    for (int i = 0; bar && i < bar->size(); ++i) {
        const ui::MenuItem& item = bar->items()[i];
        if (i > 0)
            out += " | ";
        out += kernel::wideToUtf8(item.text);
        if (item.grayed)
            out += " (grayed)";
        if (item.popup) {
            out += "[";
            for (int j = 0; j < item.popup->size(); ++j) {
                const ui::MenuItem& sub = item.popup->items()[j];
                out += (j > 0 ? ", " : "") + kernel::wideToUtf8(sub.text) + (sub.grayed ? " (grayed)" : "");
            }
            out += "]";
        }
    }
    return out;
}

// An engine (for its text table), the dialog's stand-in and the link to it.
struct LayoutFixture {
    LayoutFixture()
    {
        engine.create();
        recorder.create(u"Recorder", u"");
        recorder.show(false);
    }
    ~LayoutFixture() { recorder.destroy(); }
    // A job whose layouts read the engine's texts, as a job of its pool.
    void wire(CVXLUiJob& job) { job.setPool(engine.client() ? engine.client()->getUiJobPool() : nullptr); }
    WinTSDialogLink link() const
    {
        return WinTSDialogLink {
            recorder.handle(), kMsgActionSubmitted, kMsgActionsMapped, kMsgLayoutEnded, kMsgElementStored};
    }
    TempDeviceRoot root;
    EngineDriver engine {&root};
    DialogRecorder recorder;
};

std::string logText(const TempDeviceRoot& root)
{
    std::ifstream in(root.hostPath("log/ui.log"));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WinTSLayout, ActionsOfRealLayoutsBecomeSoftKeysOptionsHardKeysAndTheButton)
{
    LayoutFixture f;
    constexpr std::uint32_t kLeft = kActionKindLeftSoftKey;
    constexpr std::uint32_t kRight = kActionKindRightSoftKey;
    constexpr std::uint32_t kMenu = kActionKindMenuItem;
    constexpr std::uint32_t kHard = kActionKindHardKey;
    constexpr std::uint32_t kPlace = kActionKindUnplaced;
    constexpr std::uint32_t kBackKey = 0x1B;

    TableLayout graySingle(6, {{0x67, kRight, "Ok", false}});
    TableLayout twoRight(6, {{0x65, kRight, "Back"}, {0x66, kMenu, "Exit"}});
    TableLayout withLeft(
        6, {{0x67, kLeft, "Continue"}, {0x65, kRight, "Back"}, {0x66, kMenu, "Exit", false}});
    TableLayout precedence(6, {{0x66, kMenu, "Exit"}, {0x65, kMenu, "Back"}, {0x68, kMenu, "Cancel", false}});
    TableLayout composer(kLayoutMessageComposer, {{0x65, kRight, "Back"}, {0x66, kMenu, "Exit"}});
    TableLayout allGrayed(
        6, {{0x65, kRight, "Back", false}, {0x66, kMenu, "Exit", false}, {0x67, kMenu, "Ok", false}});
    CVXLLayoutMenuList menuState0(0);
    CVXLLayoutMenuList menuState1(1);
    CVXLLayoutError errorState1;
    errorState1.setState(1);
    CVXLLayoutProgressBar progress;
    TableLayout hardWithoutButton(6, {{0x65, kHard, "Back"}, {0x66, kPlace, "Exit"}, {0x67, kRight, "Ok"}});

    struct Case {
        const char* what;
        CVXLLayout* layout;
        int templateId;
        std::vector<std::pair<const char*, std::uint32_t>> hardKeys; // HardKey values written first
        std::string bar;
        std::string button; // "" when hidden
        std::uint32_t defaultAction; // low half; 0 none
        std::uint32_t okAction;
        std::vector<std::uint32_t> keyed; // actions mapped to keys
    };
    const Case cases[] = {
        {"a grayed single right action is left out and is no default", &graySingle, 104, {}, "", "", 0, 0,
            {}},
        {"two right-side actions without a left key are the soft keys", &twoRight, 104, {}, "Back | Exit", "",
            0x65, 0x65, {}},
        {"with a left key they go into Options", &withLeft, 104, {},
            "Continue | Options[Back, Exit (grayed)]", "", 0x67, 0x65, {}},
        {"the OK command prefers 0x68, 0x65, 0x66 among enabled rows", &precedence, 104, {},
            "Options[Exit, Back, Cancel (grayed)]", "", 0x66, 0x65, {}},
        {"all grayed: no default", &allGrayed, 104, {}, "Options[Back (grayed), Exit (grayed), Ok (grayed)]",
            "", 0, 0, {}},
        {"a composer gets no bar", &composer, 102, {}, "", "", 0x65, 0x65, {}},
        {"menu list, state 0: Select takes button 1003, Back and Exit the soft keys", &menuState0, 107, {},
            "Back | Exit", "Select", 0x65, 0x65, {}},
        {"menu list, state 1 with HardKey values: all on keys, Update never mapped", &menuState1, 107,
            {{"128", 13}, {"101", kBackKey}, {"102", 0x73}}, "", "", 0, 0x65, {0x80, 0x65, 0x66}},
        {"error, state 1: left Cancel; Ok and the hard keys, with no button, in Options", &errorState1, 108,
            {}, "Cancel | Options[Ok, Exit, Back]", "", 0x68, 0x68, {}},
        {"progress bar: Cancel on the button, Back and Exit the soft keys", &progress, 106, {}, "Back | Exit",
            "Cancel", 0x65, 0x68, {}},
        {"without the button the first hard key goes to the list", &hardWithoutButton, 104, {},
            "Options[Back, Exit, Ok]", "", 0x65, 0x65, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* name : {"128", "101", "102", "103", "104"})
            registryWriteDword(u"HardKey", kernel::utf8ToWide(name), 0);
        for (const auto& [name, key] : c.hardKeys)
            registryWriteDword(u"HardKey", kernel::utf8ToWide(name), key);
        RecordingJob job;
        f.wire(job);
        c.layout->setOwner(&job);
        CWinTSLayout window(c.templateId, u"CWinTSLayoutTest", c.layout, f.link());
        ASSERT_TRUE(window.createModeless(u"Test"));
        EXPECT_EQ(barOf(window), c.bar);
        ui::Window* button = window.child(CWinTSLayout::kButton);
        EXPECT_EQ(button && button->visible() ? kernel::wideToUtf8(button->text()) : "", c.button);
        const auto actionOf = [&](std::uint32_t command) {
            return command ? window.action(command - CWinTSLayout::kFirstActionCommand).eventId & 0xFFFF : 0;
        };
        EXPECT_EQ(actionOf(window.defaultCommand()), c.defaultAction);
        EXPECT_EQ(actionOf(window.okCommand()), c.okAction);
        std::vector<std::uint32_t> keyed;
        for (std::uint32_t n = 1; n <= window.actionCount(); ++n) {
            if (window.action(n).keyCode != 0)
                keyed.push_back(window.action(n).eventId & 0xFFFF);
        }
        EXPECT_EQ(keyed, c.keyed);
        window.destroy();
        c.layout->setOwner(nullptr);
    }
}

// The engine refreshing a screen while a picker is over it (the composer's
// Add, then an update of the composer) leaves the keys with the picker: the
// screen's button took them, so the person's Enter went to the screen under
// the picker. With the keys on the main dialog, a refresh gives them to the
// button as before.
TEST(WinTSLayout, ARefreshUnderAPickerLeavesItTheKeys)
{
    LayoutFixture f;
    RecordingJob job;
    CVXLLayoutProgressBar progress;
    progress.setOwner(&job);
    CWinTSLayout window(106, u"CWinTSLayoutProgressBar", &progress, f.link());
    ASSERT_TRUE(window.createModeless(u"Test"));
    const ui::WindowHandle button = window.child(CWinTSLayout::kButton)->handle();
    ASSERT_EQ(ui::focusWindow(), button);

    ui::ListPickerDialog picker({u"forest.png", u"sea.png"});
    ASSERT_TRUE(picker.createModeless(u"Open"));
    const ui::WindowHandle list = picker.list().handle();
    ASSERT_EQ(ui::focusWindow(), list);
    window.Refresh(&progress);
    EXPECT_EQ(ui::focusWindow(), list) << "the picker keeps the keys";
    picker.destroy();

    ui::setFocus(f.recorder.handle());
    window.Refresh(&progress);
    EXPECT_EQ(ui::focusWindow(), button);
    window.destroy();
    progress.setOwner(nullptr);
}

TEST(WinTSLayout, KeysButtonAndEnterSubmitOnceUntilTheEngineAnswers)
{
    LayoutFixture f;
    registryWriteDword(u"HardKey", u"101", 0x1B);
    RecordingJob job;
    f.wire(job);
    CVXLLayoutProgressBar progress;
    progress.setOwner(&job);
    CWinTSLayout window(106, u"CWinTSLayoutProgressBar", &progress, f.link());
    ASSERT_TRUE(window.createModeless(u"Test"));
    // Back has a key, so Cancel takes the button and Exit alone is the soft key.
    EXPECT_EQ(barOf(window), "Exit");
    EXPECT_EQ(kernel::wideToUtf8(window.child(CWinTSLayout::kButton)->text()), "Cancel");
    drain();
    f.recorder.posted.clear();

    struct Step {
        const char* what;
        std::function<bool()> act;
        bool answer;
        std::vector<std::uint32_t> submitted;
    };
    const Step steps[] = {
        {"the Back key's value submits Back and is used", [&] { return window.OnHardKey(0x1B); }, true,
            {0x100065}},
        {"a second key while waiting submits nothing", [&] { return window.OnHardKey(0x1B); }, true,
            {0x100065}},
        {"after the update the button submits Cancel",
            [&] {
                window.Refresh(&progress);
                window.windowProc(ui::kWmCommand, CWinTSLayout::kButton, 0);
                return true;
            },
            true, {0x100065, 0x100068}},
        {"Enter with no key submits the default (Exit) and is passed on",
            [&] {
                window.Refresh(&progress);
                return window.OnHardKey(ui::kVkReturn);
            },
            false, {0x100065, 0x100068, 0x100066}},
        {"the OK that Enter then becomes finds the window waiting",
            [&] {
                window.windowProc(ui::kWmCommand, ui::kIdOk, 0);
                return false;
            },
            false, {0x100065, 0x100068, 0x100066}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.act(), s.answer);
        drain();
        EXPECT_EQ(job.actions, s.submitted);
    }
    std::vector<std::uint64_t> posted;
    for (const auto& p : f.recorder.posted) {
        if (p.id == kMsgActionSubmitted)
            posted.push_back(p.wParam);
    }
    EXPECT_EQ(posted, (std::vector<std::uint64_t> {0x100065, 0x100068, 0x100066}));
    window.destroy();
}

TEST(WinTSLayout, AStateOfAHundredRowsMapsNinetyNine)
{
    LayoutFixture f;
    std::vector<TableLayout::Row> rows;
    for (std::uint32_t i = 0; i < 100; ++i)
        rows.push_back(TableLayout::Row {0x200 + i, kActionKindMenuItem, "Row"});
    TableLayout many(6, rows);
    RecordingJob job;
    f.wire(job);
    many.setOwner(&job);
    CWinTSLayout window(104, u"CWinTSLayoutTest", &many, f.link());
    ASSERT_TRUE(window.createModeless(u"Test"));
    EXPECT_EQ(window.actionCount(), CWinTSLayout::kMaxActions);
    EXPECT_EQ(window.action(99).eventId & 0xFFFF, 0x200u + 98);
    const ui::MenuItem* options = window.menuBar()->find(u"Options");
    ASSERT_TRUE(options && options->popup);
    EXPECT_EQ(options->popup->size(), static_cast<int>(CWinTSLayout::kMaxRightSide));
    const std::string log = logText(f.root);
    EXPECT_NE(log.find("Assert"), std::string::npos);
    EXPECT_NE(log.find("not offered: 0x60263"), std::string::npos) << log;
    // The 99th action has a command, though the list did not show it.
    window.windowProc(ui::kWmCommand, CWinTSLayout::kFirstActionCommand + 99, 0);
    EXPECT_EQ(job.actions, (std::vector<std::uint32_t> {0x60200 + 98}));
    window.destroy();
}

TEST(WinTSLayout, ExitThenReleaseEndsWithOneAndANestedWindowGivesTheFocusBack)
{
    LayoutFixture f;
    RecordingJob parentJob, childJob;
    f.wire(parentJob);
    f.wire(childJob);
    CVXLLayoutMenuList parentLayout(0);
    parentLayout.setOwner(&parentJob);
    CVXLLayoutProgressBar childLayout;
    childLayout.setOwner(&childJob);
    auto* parent = new CWinTSLayout(107, u"CWinTSLayoutParent", &parentLayout, f.link());
    auto* child = new CWinTSLayout(106, u"CWinTSLayoutChild", &childLayout, f.link());
    ASSERT_TRUE(parent->createModeless(u"Parent"));
    ASSERT_TRUE(parent->child(CWinTSLayout::kButton)->visible());
    const ui::WindowHandle parentFocus = ui::focusWindow();
    ASSERT_EQ(parentFocus, parent->child(CWinTSLayout::kButton)->handle()) << "Select took the button";

    // Steps run inside the modal runs, in the order posted.
    struct Driver : ui::Window {
        std::vector<std::function<void()>> steps;
        std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
        {
            if (message == ui::kWmApp && wParam < steps.size())
                steps[wParam]();
            return Window::windowProc(message, wParam, lParam);
        }
    } driver;
    driver.create(u"Driver", u"");
    driver.show(false);
    bool childRan = false;
    bool parentDisabledMeanwhile = false;
    ui::WindowHandle focusAfter = 0;
    bool parentEnabledAfter = false;
    driver.steps = {
        [&] {
            childRan = child->exists() && child->inModalRun();
            parentDisabledMeanwhile = !parent->enabled() && parent->runningChild();
            // Exit on the child's soft key, then the engine releases it.
            child->windowProc(ui::kWmCommand, child->menuBar()->items()[1].id, 0);
            ui::postMessage(child->handle(), kWmLayoutRelease, 0, 0);
            ui::postMessage(driver.handle(), ui::kWmApp, 1, 0);
        },
        [&] {
            focusAfter = ui::focusWindow();
            parentEnabledAfter = parent->enabled() && !parent->runningChild();
            ui::postMessage(parent->handle(), kWmLayoutRelease, 0, 0);
        },
    };
    ui::postMessage(parent->handle(), kWmLayoutRunChild, reinterpret_cast<std::uintptr_t>(child), 0);
    ui::postMessage(driver.handle(), ui::kWmApp, 0, 0);
    const int parentResult = parent->run(nullptr);
    delete parent;
    drain();

    EXPECT_TRUE(childRan);
    EXPECT_TRUE(parentDisabledMeanwhile);
    EXPECT_EQ(focusAfter, parentFocus) << "the keys are back where they were";
    EXPECT_TRUE(parentEnabledAfter);
    EXPECT_EQ(childJob.actions, (std::vector<std::uint32_t> {0x100066}));
    EXPECT_EQ(parentResult, 0) << "no EXIT was submitted on the parent";
    std::vector<DialogRecorder::Posted> ended;
    for (const auto& p : f.recorder.posted) {
        if (p.id == kMsgLayoutEnded)
            ended.push_back(p);
    }
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].wParam, reinterpret_cast<std::uintptr_t>(&childLayout));
    EXPECT_EQ(ended[0].lParam, 1) << "the child's EXIT makes its modal result 1";
    driver.destroy();
}

} // namespace
