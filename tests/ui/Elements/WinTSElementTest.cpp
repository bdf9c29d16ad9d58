#include "ui/Elements/WinTSElement.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLFieldElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/Elements/ScreenColours.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tessel;

WinTSElementLink composerLink()
{
    return WinTSElementLink {
        kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, nullptr};
}

// An element that draws its frame around its content, as concrete ones do.
class FramedElement : public CWinTSElement {
public:
    using CWinTSElement::CWinTSElement;
    int paint(ui::Canvas& canvas, const ui::Rect& area) const override
    {
        CWinTSElement::paint(canvas, area);
        const ui::Rect r = contentRect();
        DrawFrame(canvas, ui::Rect {r.left + 4, r.top + 4, r.right - 4, r.bottom - 4});
        return 0;
    }
};

std::string hexOf(ui::Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", ui::red(c), ui::green(c), ui::blue(c));
    return text;
}

TEST(WinTSElement, EmptyTipsTakeTheClassValueFirst)
{
    TempDeviceRoot root;
    registryWrite(u"UIConfig", u"ElementEmptyTip", u"Nothing yet");
    registryWrite(u"UIConfig", u"ElementEmptyTip_CWinTSElementText", u"No text");
    registryWrite(u"UIConfig", u"ElementEmptyTipFocus", u"Press Enter");
    registryWrite(u"UIConfig", u"ElementEmptyTipFocus_CWinTSElementText", u"");
    registryWrite(u"UIConfig", u"ElementEmptyTipFocus_CWinTSElementAudioInput", u"Record");
    struct Case {
        const char16_t* className;
        const char* tip;
        const char* focusedTip;
    };
    const Case cases[] = {
        {u"CWinTSElementText", "No text", "Press Enter"},
        {u"CWinTSElementAudioInput", "Nothing yet", "Record"},
        {u"WINTS_Placeholder", "Nothing yet", "Press Enter"},
    };
    for (const Case& c : cases) {
        CWinTSElement element(c.className, composerLink());
        EXPECT_EQ(kernel::wideToUtf8(element.emptyTip()), c.tip) << kernel::wideToUtf8(c.className);
        EXPECT_EQ(kernel::wideToUtf8(element.focusedEmptyTip()), c.focusedTip)
            << kernel::wideToUtf8(c.className);
    }
}

TEST(WinTSElement, CornerAndLineHeightAreComputedOnceForAll)
{
    TempDeviceRoot root;
    registryWriteDword(u"UIConfig", u"ElementCornerSize", 7);
    CWinTSElement first(u"WINTS_Placeholder", composerLink());
    const int corner = CWinTSElement::cornerSize();
    const int line = CWinTSElement::lineHeight();
    EXPECT_GT(corner, 0);
    EXPECT_GT(line, 5) << "5 plus a text line";
    registryWriteDword(u"UIConfig", u"ElementCornerSize", corner + 9);
    CWinTSElement later(u"WINTS_Placeholder", composerLink());
    EXPECT_EQ(CWinTSElement::cornerSize(), corner);
    EXPECT_EQ(CWinTSElement::lineHeight(), line);
}

TEST(WinTSElement, OnlyAFieldSlotHasALabelAndSectionLabelsRenamesIt)
{
    TempDeviceRoot root;
    registryWrite(u"Labels", u"Subject", u"Topic");
    registryWrite(u"Labels", u"To", u"");
    CScenarioLayout scenario;
    for (const char* caption : {"Subject", "To", ""}) {
        auto* field = new CScenarioField();
        field->fieldDescription().setCaption(caption);
        scenario.addField(field);
    }
    CVXLFieldElement subject, to, uncaptioned;
    subject.setField(&scenario, 0);
    to.setField(&scenario, 1);
    uncaptioned.setField(&scenario, 2);
    CVXLEditTextElement plain;
    struct Case {
        const char* what;
        CVXLElement* element;
        const char* label; // nullptr: no label control
    };
    const Case cases[] = {
        {"a field slot with a Labels value shows the value", &subject, "Topic"},
        {"an empty Labels value leaves the caption", &to, "To"},
        {"a field slot without a caption has no label", &uncaptioned, nullptr},
        {"an element that is no field slot has no label", &plain, nullptr},
    };
    ui::Dialog screen;
    ASSERT_TRUE(screen.createModeless(u"Composer"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CWinTSElement element(u"CWinTSElementText", composerLink());
        ASSERT_TRUE(element.Create(&screen, c.element, ui::Rect {0, 0, 200, 60}, 100, 0));
        if (c.label) {
            ASSERT_NE(element.label(), nullptr);
            EXPECT_EQ(kernel::wideToUtf8(element.label()->text()), c.label);
            EXPECT_EQ(element.label()->controlId(), CWinTSElement::kLabelId);
            EXPECT_TRUE(element.isChildControl(CWinTSElement::kLabelId));
            EXPECT_NE(element.label()->font(), nullptr) << "the ElementLabel font";
            EXPECT_EQ(element.contentRect().top, element.label()->windowRect().height());
        } else {
            EXPECT_EQ(element.label(), nullptr);
            EXPECT_EQ(element.contentRect().top, 0);
        }
        element.destroy();
    }
    screen.destroy();
}

TEST(WinTSElement, TheMenuHoldsTenAndNumbersOnlyEnabledEntries)
{
    TempDeviceRoot root;
    CWinTSElement element(u"CWinTSElementMediaContainer", composerLink());
    for (std::uint32_t i = 1; i <= 11; ++i)
        element.AddMenuItem(i, u"Item " + kernel::utf8ToWide(std::to_string(i)));
    EXPECT_EQ(element.GetMenuItemCount(), 10) << "the eleventh is ignored";
    element.EnableMenuItem(2, false);
    element.EnableMenuItem(5, false);
    std::vector<std::uint32_t> commands;
    std::uint32_t flags = 0;
    std::uint32_t command = 0;
    std::u16string text;
    for (int n = 0; element.GetMenuItem(n, &flags, &command, &text); ++n) {
        commands.push_back(command);
        EXPECT_EQ(flags, CWinTSElement::kMenuFlagsByPosition);
    }
    EXPECT_EQ(commands, (std::vector<std::uint32_t> {1, 3, 4, 6, 7, 8, 9, 10}));
    EXPECT_EQ(element.GetMenuItemCount(), 8);
    EXPECT_FALSE(element.GetMenuItem(8, &flags, &command, &text));
    element.EnableMenuItem(2, true);
    ASSERT_TRUE(element.GetMenuItem(1, &flags, &command, &text));
    EXPECT_EQ(command, 2u);
    EXPECT_EQ(kernel::wideToUtf8(text), "Item 2");
}

TEST(WinTSElement, TheFocusedFrameIsTwoPixelsOfTheHighlightColour)
{
    TempDeviceRoot root;
    ui::Dialog screen;
    ASSERT_TRUE(screen.createModeless(u"Composer"));
    CVXLEditTextElement value;
    FramedElement element(u"CWinTSElementText", composerLink());
    ASSERT_TRUE(element.Create(&screen, &value, ui::Rect {10, 40, 210, 100}, 100, 0));
    element.setShowEmptyTip(false);
    const std::string highlight = hexOf(ui::systemColor(ui::kColorHighlight));
    const std::string grey = hexOf(ui::systemColor(ui::kColorGrayText));
    const std::string window = hexOf(ui::systemColor(ui::kColorWindow));

    element.SetFocused(true);
    ui::Compositor compositor;
    compositor.compose();
    const ui::Rect at = element.shownAt();
    ASSERT_EQ(at.width(), 200);
    // Along the left edge, half-way down: the frame starts 4 pixels in.
    const int y = at.top + at.height() / 2;
    const int x = at.left + 4;
    EXPECT_EQ(pngColours(root, {{x - 1, y}, {x, y}, {x + 1, y}, {x + 2, y}}),
        (std::vector<std::string> {window, highlight, highlight, "ffffff"}));

    element.SetFocused(false);
    EXPECT_EQ(pngColours(root, {{x, y}, {x + 1, y}}), (std::vector<std::string> {grey, "ffffff"}))
        << "unfocused: one pixel of grey text";
    element.destroy();
    screen.destroy();
}

TEST(WinTSElement, ItTellsItsLayoutWindowByPostedMessages)
{
    TempDeviceRoot root;
    struct Layout : ui::Dialog {
        std::vector<std::pair<std::uint32_t, std::int64_t>> got;
        std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
        {
            if (message >= kWmLayoutSetElement && message <= kWmElementCommandsChanged)
                got.emplace_back(message, lParam);
            return Dialog::windowProc(message, wParam, lParam);
        }
    } layout;
    ASSERT_TRUE(layout.createModeless(u"Composer"));
    CVXLEditTextElement value;
    CWinTSElement element(u"CWinTSElementText", composerLink());
    ASSERT_TRUE(element.Create(&layout, &value, ui::Rect {0, 0, 200, 40}, 100, 0));
    element.windowProc(ui::kWmLButtonDown, 0, 0);
    element.PostHeight(40);
    element.PostHeight(40);
    element.PostHeight(52);
    element.NotifyEdited();
    element.NotifyCommandsChanged();
    element.SetFocused(true);
    element.RequestFocus(); // focused: nothing
    ui::Message message;
    while (ui::peekMessage(&message, true))
        ui::dispatchMessage(message);
    const std::vector<std::pair<std::uint32_t, std::int64_t>> expected = {
        {kWmLayoutSetElement, 0},
        {kWmElementResized, 40},
        {kWmElementResized, 52},
        {kWmElementChanged, 0},
        {kWmElementCommandsChanged, 0},
    };
    EXPECT_EQ(layout.got, expected);
    element.destroy();
    layout.destroy();
}

} // namespace
