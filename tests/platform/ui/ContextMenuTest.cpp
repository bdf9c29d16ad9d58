#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;

constexpr std::uint32_t kCut = 40007;
constexpr std::uint32_t kPaste = 40008;
constexpr std::uint32_t kRecent = 5;

// A child window holding an edit box, as an element window holds its
// controls: it gets the box's context menu and tracks its own popup there,
// and the keys its list hands on at the edges.
class Holder : public Window {
public:
    Edit edit;
    std::vector<std::pair<WindowHandle, std::int64_t>> contextMenus;
    std::vector<std::uint32_t> commands;
    std::vector<std::uint32_t> keys;
    bool takesKeys = true;

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        switch (message) {
        case kWmContextMenu: {
            contextMenus.emplace_back(static_cast<WindowHandle>(wParam), lParam);
            auto popup = std::make_shared<Menu>();
            popup->add(kCut, u"Cut")
                .addSeparator()
                .add(kPaste, u"Paste")
                .addSeparator()
                .add(kRecent, u"anna@example.com");
            trackPopupMenu(popup, static_cast<int>(lParam & 0xFFFF), static_cast<int>(lParam >> 16), this);
            return 0;
        }
        case kWmCommand:
            // The box's own notifications (EN_SETFOCUS, EN_CHANGE) are not menu commands.
            if ((wParam & 0xFFFF) != static_cast<std::uint64_t>(edit.controlId()))
                commands.push_back(static_cast<std::uint32_t>(wParam & 0xFFFF));
            return 0;
        case kWmKeyDown:
            keys.push_back(static_cast<std::uint32_t>(wParam));
            return takesKeys ? 0 : kKeyLeft;
        default:
            return Window::windowProc(message, wParam, lParam);
        }
    }
};

class EditorDialog : public Dialog {
public:
    Holder holder;
    std::vector<std::uint32_t> commands;

protected:
    void onCreate() override
    {
        holder.create(u"holder", u"", this, 0xE00, Rect {10, 20, 230, 80});
        holder.edit.create(&holder, 2790, 0, EditRect {0, 0, 200, 20});
        holder.edit.moveWindow(Rect {0, 0, 200, 20});
        setFocus(holder.edit.handle());
    }
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override
    {
        commands.push_back(id);
        return Dialog::onCommand(id, code);
    }
};

Lines menuLines(const Lines& screen)
{
    const auto start = std::find(screen.begin(), screen.end(), "menu:");
    Lines lines;
    for (auto it = start == screen.end() ? start : start + 1; it != screen.end() && it->rfind("  ", 0) == 0;
         ++it)
        lines.push_back(*it);
    return lines;
}

TEST(ContextMenu, AHeldEditBoxAsksItsParentWhichTracksAPopupWhoseSeparatorsCannotBeChosen)
{
    TempDeviceRoot root;
    DialogScreen<EditorDialog> screen(u"Editor");
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    Compositor compositor;
    driver.compose(&compositor);
    EditorDialog& dialog = *screen.thread.dialog;
    const Rect at = dialog.holder.edit.shownAt();
    ASSERT_FALSE(at.empty());

    driver.hold(at.left + 5, at.top + 5);
    ASSERT_EQ(dialog.holder.contextMenus.size(), 1u);
    EXPECT_EQ(dialog.holder.contextMenus[0].first, dialog.holder.edit.handle())
        << "wParam names the held control";
    EXPECT_EQ(
        dialog.holder.contextMenus[0].second, (static_cast<std::int64_t>(at.top + 5) << 16) | (at.left + 5));
    EXPECT_EQ(menuLines(driver.snapshot()),
        (Lines {"  > Cut", "    ----", "    Paste", "    ----", "    anna@example.com"}));
    driver.compose(&compositor);
    const Rect box = Compositor::openMenuRect(dialog, systemMetric(kMetricScreenWidth),
        systemMetric(kMetricScreenHeight) - systemMetric(kMetricMenuHeight));
    EXPECT_EQ(box.left, at.left + 5) << "the popup opens at the point held";
    EXPECT_EQ(box.top, at.top + 5);

    // Down and Up step over the separators; a tap on one chooses nothing.
    driver.key(kVkDown);
    EXPECT_EQ(dialog.menuSelection(), 2);
    driver.key(kVkDown);
    EXPECT_EQ(dialog.menuSelection(), 4);
    driver.key(kVkDown);
    EXPECT_EQ(dialog.menuSelection(), 4) << "the last row stays";
    driver.key(kVkUp);
    EXPECT_EQ(dialog.menuSelection(), 2);
    driver.tap(box.left + 5, box.top + 1 + Compositor::menuRowHeight() + Compositor::menuRowHeight() / 2);
    EXPECT_NE(dialog.openMenu(), nullptr) << "a separator is no choice";
    EXPECT_TRUE(dialog.holder.commands.empty());

    driver.key(kVkReturn);
    EXPECT_EQ(dialog.openMenu(), nullptr);
    EXPECT_EQ(dialog.holder.commands, (std::vector<std::uint32_t> {kPaste}))
        << "the command goes to the owner";
    EXPECT_TRUE(dialog.commands.empty()) << "not to the dialog";

    // Escape closes the popup without a command; the keys go to the box again.
    driver.hold(at.left + 5, at.top + 5);
    ASSERT_NE(dialog.openMenu(), nullptr);
    EXPECT_TRUE(dialog.menuAtPoint());
    driver.key(kVkEscape);
    EXPECT_EQ(dialog.openMenu(), nullptr);
    EXPECT_FALSE(dialog.menuAtPoint());
    driver.chars(u"ab");
    EXPECT_EQ(dialog.holder.edit.text(), u"ab");
    EXPECT_EQ(dialog.holder.commands.size(), 1u);
}

TEST(ContextMenu, APopupWithNothingToChooseDoesNotOpen)
{
    TempDeviceRoot root;
    Dialog dialog;
    ASSERT_TRUE(dialog.createModeless(u"Empty"));
    Window child;
    ASSERT_TRUE(child.create(u"child", u"", &dialog, 1));
    auto separators = std::make_shared<Menu>();
    separators->addSeparator().addSeparator();
    EXPECT_FALSE(trackPopupMenu(separators, 0, 0, &child));
    EXPECT_FALSE(trackPopupMenu(std::make_shared<Menu>(), 0, 0, &child));
    EXPECT_EQ(dialog.openMenu(), nullptr);
    Window loose;
    ASSERT_TRUE(loose.create(u"loose", u""));
    auto menu = std::make_shared<Menu>();
    menu->add(1, u"One");
    EXPECT_FALSE(trackPopupMenu(menu, 0, 0, &loose)) << "a window in no dialog";
    // A soft key's popup opens on its first choosable row.
    auto options = std::make_shared<Menu>();
    options->addSeparator().add(2, u"Two");
    auto bar = std::make_shared<Menu>();
    bar->addPopup(u"Options", options);
    dialog.setMenuBar(bar);
    ASSERT_TRUE(dialog.pressSoftKey(0));
    EXPECT_EQ(dialog.menuSelection(), 1);
    loose.destroy();
    dialog.destroy();
}

TEST(ListViewEdgeKeys, UpAtTheFirstRowAndDownAtTheLastGoToTheParent)
{
    TempDeviceRoot root;
    struct Case {
        const char* name;
        unsigned style;
        int rows;
        int selected;
        std::uint32_t key;
        bool parentTakes;
        int selectedAfter;
        bool parentAsked;
        std::int64_t answer;
    };
    const unsigned edge = ListView::kReport | ListView::kEdgeKeysToParent;
    const Case cases[] = {
        {"down inside", edge, 3, 0, kVkDown, true, 1, false, 0},
        {"up inside", edge, 3, 2, kVkUp, true, 1, false, 0},
        {"down at the last row", edge, 3, 2, kVkDown, true, 2, true, 0},
        {"up at the first row", edge, 3, 0, kVkUp, true, 0, true, 0},
        {"up with nothing selected", edge, 3, -1, kVkUp, true, -1, true, 0},
        {"down with nothing selected", edge, 3, -1, kVkDown, true, 0, false, 0},
        {"down with no rows", edge, 0, -1, kVkDown, true, -1, true, 0},
        {"the parent leaves it", edge, 3, 2, kVkDown, false, 2, true, kKeyLeft},
        {"a plain list keeps its edges", ListView::kReport, 3, 2, kVkDown, true, 2, false, 0},
        {"a plain list at its top", ListView::kReport, 3, 0, kVkUp, true, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dialog dialog;
        ASSERT_TRUE(dialog.createModeless(u"List"));
        Holder holder;
        holder.takesKeys = c.parentTakes;
        ASSERT_TRUE(holder.create(u"holder", u"", &dialog, 0xE00, Rect {0, 0, 200, 100}));
        ListView list;
        ASSERT_TRUE(list.create(&holder, 0xF04, c.style, Rect {0, 0, 200, 100}));
        for (int i = 0; i < c.rows; ++i)
            list.insertItem(-1, u"Row " + std::u16string(1, static_cast<char16_t>(u'1' + i)));
        list.select(c.selected);
        EXPECT_EQ(list.windowProc(kWmKeyDown, c.key, 0), c.answer);
        EXPECT_EQ(list.selected(), c.selectedAfter);
        EXPECT_EQ(
            holder.keys, c.parentAsked ? std::vector<std::uint32_t> {c.key} : std::vector<std::uint32_t> {});
        dialog.destroy();
    }
}

} // namespace
} // namespace tessel::ui
