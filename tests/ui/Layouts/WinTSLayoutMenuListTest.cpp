#include "ui/Layouts/WinTSLayoutMenuList.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/IconRig.h"
#include "ui/Layouts/WinTSLayoutMenuListTransfer.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

// The job behind the menu: each action with the entry current at the time.
class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 20; }
    void onLayoutAction(std::uint32_t eventId) override
    {
        const auto* entry
            = dynamic_cast<const CVXLEditTextElement*>(layout ? layout->currentElement() : nullptr);
        actions.push_back(
            std::string(entry ? entry->getText().c_str() : "-") + " " + std::to_string(eventId & 0xFFFF));
    }
    CVXLLayout* layout = nullptr;
    std::vector<std::string> actions;
};

class DialogRecorder : public ui::Window {
public:
    std::vector<std::uint64_t> submitted;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kMsgActionSubmitted)
            submitted.push_back(wParam);
        return Window::windowProc(message, wParam, lParam);
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

// A menu in the given state over entries of the given kinds, named A, B, ...
struct Menu {
    Menu(std::uint32_t state, const std::vector<std::int32_t>& kinds)
        : layout(state)
    {
        char name = 'A';
        for (std::int32_t kind : kinds) {
            auto* entry = new CVXLEditTextElement();
            entry->setText(std::string(1, name++).c_str());
            entry->setValue(kind);
            layout.addItem(entry);
        }
        job.layout = &layout;
        layout.setOwner(&job);
        recorder.create(u"Recorder", u"");
        recorder.show(false);
    }
    ~Menu()
    {
        window.reset();
        layout.clear();
        recorder.destroy();
    }
    CWinTSLayoutMenuList& open()
    {
        window = std::make_unique<CWinTSLayoutMenuList>(&layout,
            WinTSDialogLink {recorder.handle(), kMsgActionSubmitted, kMsgActionsMapped, kMsgLayoutEnded,
                kMsgElementStored});
        EXPECT_TRUE(window->createModeless(u"Menu"));
        drain();
        return *window;
    }
    void key(std::uint32_t vk)
    {
        ui::postMessage(ui::focusWindow(), ui::kWmKeyDown, vk, 0);
        drain();
    }
    std::vector<std::string> rows() const
    {
        std::vector<std::string> out;
        ui::ListView* list = window->list();
        for (int i = 0; list && i < list->itemCount(); ++i)
            out.push_back(kernel::wideToUtf8(list->itemText(i)) + "@" + std::to_string(list->itemData(i)));
        return out;
    }
    std::string selectedRow() const
    {
        ui::ListView* list = window->list();
        const int at = list ? list->selected() : -1;
        return at < 0 ? "" : kernel::wideToUtf8(list->itemText(at));
    }

    CVXLLayoutMenuList layout;
    RecordingJob job;
    DialogRecorder recorder;
    std::unique_ptr<CWinTSLayoutMenuList> window;
};

TEST(WinTSLayoutMenuList, KindOneEntriesArePickedAtOnceInOrderAndTheWindowStaysHidden)
{
    TempDeviceRoot root;
    Menu menu(2, {0, 1, 6, 1});
    CWinTSLayoutMenuList& window = menu.open();
    EXPECT_TRUE(window.autoSelected());
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(window.enabled());
    EXPECT_EQ(menu.job.actions, (std::vector<std::string> {"B 128", "B 103", "D 128", "D 103"}));
    EXPECT_EQ(menu.recorder.submitted, (std::vector<std::uint64_t> {0xA0080, 0xA0067, 0xA0080, 0xA0067}));
}

TEST(WinTSLayoutMenuList, OnlyListedKindsShowAndEachKeepsItsPositionAsImage)
{
    TempDeviceRoot root;
    Menu menu(0, {2, 11, 9, 13, 0, 16});
    CWinTSLayoutMenuList& window = menu.open();
    EXPECT_EQ(menu.rows(), (std::vector<std::string> {"B@1", "D@3", "E@4"}));
    ui::ListView* list = window.list();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->imageList(), window.images()) << "stock icons of kinds 11 to 15 show";
    EXPECT_EQ(window.images()->count(), 6) << "one image per entry";
    EXPECT_EQ(CWinTSLayoutMenuList::stockIcon(11), 1028);
    EXPECT_EQ(CWinTSLayoutMenuList::stockIcon(15), 1032);
    EXPECT_EQ(CWinTSLayoutMenuList::stockIcon(0), 1019);
    EXPECT_EQ(menu.selectedRow(), "B") << "the first listed row";

    Menu hidden(0, {2, 3, 9});
    CWinTSLayoutMenuList& empty = hidden.open();
    EXPECT_FALSE(empty.list()->visible()) << "nothing listed: no list";
    EXPECT_NE(empty.menuBar(), nullptr);
    EXPECT_EQ(empty.menuBar()->size(), 2) << "the soft keys stay";
}

TEST(WinTSLayoutMenuList, APickSubmitsSelectThenContinueOrOnlySelectInACheckList)
{
    TempDeviceRoot root;
    struct Case {
        const char* what;
        std::uint32_t state;
        std::vector<std::string> actions;
        bool enabledAfter;
    };
    const Case cases[] = {
        // State 0 offers no Continue: only Select reaches the job.
        {"a plain menu", 0, {"B 128"}, false},
        {"a check list", 2, {"B 128"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Menu menu(c.state, {0, 0, 0});
        CWinTSLayoutMenuList& window = menu.open();
        EXPECT_EQ(window.checkList(), c.state == 2);
        menu.key(ui::kVkDown);
        EXPECT_EQ(window.forwardKeyDown(ui::kVkReturn), 1) << "Enter picks and is used";
        drain();
        EXPECT_EQ(menu.job.actions, c.actions);
        EXPECT_EQ(window.enabled(), c.enabledAfter);
        EXPECT_EQ(window.selectedPosition(), 1);
        EXPECT_EQ(window.forwardKeyDown(ui::kVkReturn), 1);
        drain();
        EXPECT_EQ(menu.job.actions.size(), c.enabledAfter ? 2u : 1u) << "a waiting window picks nothing";
    }
}

TEST(WinTSLayoutMenuList, TheSelectionSurvivesARebuildByItsPosition)
{
    TempDeviceRoot root;
    // An unlisted entry first, so that row and position differ.
    Menu menu(2, {9, 0, 0, 0});
    CWinTSLayoutMenuList& window = menu.open();
    menu.key(ui::kVkDown);
    menu.key(ui::kVkDown);
    EXPECT_EQ(window.forwardKeyDown(ui::kVkReturn), 1);
    drain();
    EXPECT_EQ(menu.selectedRow(), "D");
    EXPECT_EQ(window.selectedPosition(), 3);
    // The engine toggles the check and sends the layout again.
    static_cast<CVXLEditTextElement*>(menu.layout.itemAt(3))->toggleChecked();
    window.Refresh(&menu.layout);
    EXPECT_EQ(menu.selectedRow(), "D");
    EXPECT_TRUE(window.list()->checked(2));
    EXPECT_TRUE(window.enabled());
    const std::vector<std::string> screen = ui::textSnapshot();
    EXPECT_NE(std::find(screen.begin(), screen.end(), "  > * [x] D"), screen.end())
        << testing::PrintToString(screen);
}

TEST(WinTSLayoutMenuList, ThirtyEntriesKeepTheSelectedRowInsideTheFrame)
{
    TempDeviceRoot root;
    Menu menu(0, std::vector<std::int32_t>(30, 11));
    CWinTSLayoutMenuList& window = menu.open();
    ui::ListView* list = window.list();
    const ui::Rect frame = window.clientRect();
    const ui::Rect at = list->windowRect();
    EXPECT_GE(at.top, 0);
    EXPECT_LE(at.bottom, frame.bottom) << "the list fits the window";
    for (int i = 0; i < 29; ++i)
        menu.key(ui::kVkDown);
    EXPECT_EQ(list->selected(), 29);
    EXPECT_GE(list->selected(), list->topRow());
    EXPECT_LT(list->selected(), list->topRow() + list->pageRows()) << "the last row is in view";
    EXPECT_GT(list->topRow(), 0);
}

TEST(WinTSLayoutMenuList, IconNamesStayInsideTheSupportFolder)
{
    struct Case {
        const char16_t* link;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"icons/M1", u"M1"},
        {u"..\\..\\windows\\x", u"x"},
        {u"a/b\\c.png", u"c.png"},
        {u"icons/", u""},
        {u"icons/..", u""},
        {u".", u""},
        {u"icons/a b", u""},
        {u"icons/a:b", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CWinTSLayoutMenuListTransfer::iconFileName(c.link), c.name) << kernel::wideToUtf8(c.link);
}

TEST(WinTSLayoutMenuList, AnIconOfAHostileLinkIsCachedInsideTheSupportFolder)
{
    TempDeviceRoot root;
    registryWrite(u"Path", u"SupportStore", u"!\\Support");
    root.makeFolder("windows");
    const std::u16string name = CWinTSLayoutMenuListTransfer::iconFileName(u"..\\..\\windows\\x");
    ASSERT_EQ(name, u"x");
    struct Chunk : CVXLSinkInterface {
        std::string bytes = "icon bytes";
        const std::uint8_t* getData() override { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }
        std::uint32_t getLength() override { return static_cast<std::uint32_t>(bytes.size()); }
        void consume(std::uint32_t, std::uint32_t) override { }
    } chunk;
    auto* transfer = new CWinTSLayoutMenuListTransfer(0, name);
    transfer->beginTransfer(-1, nullptr);
    transfer->writeData(&chunk);
    transfer->endTransfer(); // writes the file and deletes itself
    std::u16string path;
    ASSERT_TRUE(registryRead(u"MenuIcons", u"x", &path));
    EXPECT_EQ(kernel::wideToUtf8(path).rfind("\\Support\\WTS", 0), 0u) << kernel::wideToUtf8(path);
    std::string host;
    ASSERT_TRUE(kernel::mapPhonePath(kernel::wideToUtf8(path), &host));
    std::ifstream in(host, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "icon bytes");
    EXPECT_FALSE(root.exists("windows/x"));
    EXPECT_FALSE(root.exists("x"));
}

std::string cachedIcon(const std::u16string& name, std::string* host)
{
    std::u16string path;
    if (!registryRead(u"MenuIcons", name, &path))
        return "";
    host->clear();
    kernel::mapPhonePath(kernel::wideToUtf8(path), host);
    return kernel::wideToUtf8(path);
}

TEST(WinTSLayoutMenuList, IconsFromTheServiceAreCachedByNameAndShownFromTheNextBuild)
{
    IconRig rig;
    ASSERT_TRUE(rig.serve("icons"));
    registryWrite(u"Path", u"SupportStore", u"!\\Application Data\\Tessel\\Support");
    CVXLLayoutMenuList layout(0);
    RecordingJob job;
    job.layout = &layout;
    layout.setOwner(&job);
    const char* links[] = {"M1", "M2"};
    for (const char* link : links) {
        auto* entry = new CVXLMenuItemElement();
        entry->setText(link);
        CVXLMediaRefHandle icon;
        icon.setMimeType("image/jpeg");
        icon.addEntry(link, "image/jpeg", &rig.manager, -1, -1, -1, true);
        entry->setMenuMedia(icon);
        layout.addItem(entry);
    }
    DialogRecorder recorder;
    recorder.create(u"Recorder", u"");
    {
        CWinTSLayoutMenuList window(&layout,
            WinTSDialogLink {recorder.handle(), kMsgActionSubmitted, kMsgActionsMapped, kMsgLayoutEnded,
                kMsgElementStored});
        ASSERT_TRUE(window.createModeless(u"Menu"));
        EXPECT_EQ(window.list()->imageList(), window.images()) << "a fetch started: the images are attached";
        const bool cached = rig.pump([] {
            std::u16string path;
            return registryRead(u"MenuIcons", u"M1", &path) && registryRead(u"MenuIcons", u"M2", &path);
        });
        ASSERT_TRUE(cached) << testing::PrintToString(rig.log());

        for (const auto& [link, name] :
            {std::pair<const char*, const char16_t*> {"M1", u"M1"}, {"M2", u"M2"}}) {
            SCOPED_TRACE(link);
            std::string host;
            const std::string phonePath = cachedIcon(name, &host);
            EXPECT_EQ(phonePath.rfind("\\Application Data\\Tessel\\Support\\WTS", 0), 0u) << phonePath;
            EXPECT_EQ(phonePath.substr(phonePath.size() - kernel::wideToUtf8(name).size() - 1),
                "_" + kernel::wideToUtf8(name));
            const std::string served = rig.root.hostPath(std::string("served-") + kernel::wideToUtf8(name));
            const TestCommandResult icon
                = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/vrax_server.py --icon '"
                    + link + "' > '" + served + "'");
            ASSERT_EQ(icon.status, 0) << icon.output;
            const TestCommandResult same = testRunCommand("cmp '" + served + "' '" + host + "' 2>&1");
            EXPECT_EQ(same.status, 0) << same.output;
        }

        // The next build shows them from the cache and fetches nothing.
        const std::size_t requests = rig.log().size();
        window.Refresh(&layout);
        rig.pump([] { return false; }, 300);
        EXPECT_EQ(rig.log().size(), requests);
        ASSERT_EQ(window.images()->count(), 2);
        window.destroy();
    }
    layout.clear();
    recorder.destroy();
}

TEST(WinTSLayoutMenuList, ACachedIconThatDoesNotDecodeIsDeletedBeforeTheNextFetch)
{
    IconRig rig;
    ASSERT_TRUE(rig.serve("icons"));
    registryWrite(u"Path", u"SupportStore", u"!\\Support");
    rig.root.writeFile("Support/WTS7_M1", "not a picture");
    registryWrite(u"MenuIcons", u"M1", u"\\Support\\WTS7_M1");
    CVXLLayoutMenuList layout(0);
    auto* entry = new CVXLMenuItemElement();
    entry->setText("M1");
    CVXLMediaRefHandle icon;
    icon.setMimeType("image/jpeg");
    icon.addEntry("M1", "image/jpeg", &rig.manager, -1, -1, -1, true);
    entry->setMenuMedia(icon);
    layout.addItem(entry);
    {
        CWinTSLayoutMenuList window(&layout, WinTSDialogLink {0, 0, 0, 0, 0});
        ASSERT_TRUE(window.createModeless(u"Menu"));
        EXPECT_FALSE(rig.root.exists("Support/WTS7_M1"));
        const bool refetched = rig.pump([] {
            std::u16string path;
            return registryRead(u"MenuIcons", u"M1", &path) && path != u"\\Support\\WTS7_M1";
        });
        EXPECT_TRUE(refetched);
        window.destroy();
    }
    layout.clear();
}

} // namespace
