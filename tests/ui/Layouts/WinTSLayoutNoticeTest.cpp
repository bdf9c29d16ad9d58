#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/Static.h"
#include "platform/ui/SystemMetrics.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/Layouts/WinTSLayoutError.h"
#include "ui/Layouts/WinTSLayoutInformation.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

const WinTSDialogLink kNoDialog {0, 0, 0, 0, 0};

// What the view shows, its lines joined by blanks.
std::u16string shownText(const CHTMLView& view)
{
    std::vector<std::u16string> lines;
    view.describe(&lines);
    std::u16string text;
    for (const std::u16string& line : lines)
        text += (text.empty() ? u"" : u" ") + line;
    return text;
}

TEST(WinTSLayoutError, TheCodeTextAColonAndTheMessageTheRegistryMayReword)
{
    TempDeviceRoot root;
    struct Case {
        const char* name;
        const char16_t* override; // null: no registry value
        const char16_t* display;
        const char16_t* shown;
    };
    const Case cases[] = {
        {"no override", nullptr, u"M7:The message is broken.", u"M7:The message is broken."},
        {"an override", u"Try <again> later", u"M7:Try <again> later", u"M7:Try <again> later"},
        {"an empty override", u"", u"M7:The message is broken.", u"M7:The message is broken."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registryWrite(u"Error", u"M7", c.override ? c.override : u"");
        CVXLLayoutError layout;
        layout.setError('M', 7, "The message is broken.");
        CWinTSLayoutError window(&layout, kNoDialog);
        ASSERT_TRUE(window.createModeless(u"Error"));
        EXPECT_EQ(window.CodeText(), u"M7");
        EXPECT_EQ(window.displayText(), c.display);
        ASSERT_NE(window.view(), nullptr);
        EXPECT_EQ(shownText(*window.view()), c.shown);
        window.destroy();
    }
}

TEST(WinTSLayoutInformation, ABlankFollowsEveryComma)
{
    TempDeviceRoot root;
    CVXLLayoutInformation layout;
    layout.setMessage("Saved,sent, and,,done");
    CWinTSLayoutInformation window(&layout, kNoDialog);
    ASSERT_TRUE(window.createModeless(u"Information"));
    EXPECT_EQ(window.displayText(), u"Saved, sent,  and, , done");
    window.destroy();
}

// Both windows: the icon at the top left, the text beside it over the
// wallpaper's colour, as tall as the text needs (twice for an error) and
// never taller than the screen.
TEST(WinTSLayoutNotice, TheIconAndTheTextSitBesideEachOtherAndALongTextStaysOnTheScreen)
{
    TempDeviceRoot root;
    registryWriteDword(u"UIConfig", u"RGBWallPaper", 0x203040);
    const int screenHeight = ui::systemMetric(ui::kMetricScreenHeight);
    const int iconWidth = ui::systemMetric(ui::kMetricIconWidth);
    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "word ";
    struct Case {
        const char* name;
        bool error;
        std::string text;
    };
    const Case cases[] = {
        {"short error", true, "Short."},
        {"short information", false, "Short."},
        {"long error", true, longText},
        {"long information", false, longText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVXLLayoutError error;
        error.setError('G', 1000, c.text.c_str());
        CVXLLayoutInformation information;
        information.setMessage(c.text.c_str());
        std::unique_ptr<CWinTSLayoutNotice> window;
        if (c.error)
            window = std::make_unique<CWinTSLayoutError>(&error, kNoDialog);
        else
            window = std::make_unique<CWinTSLayoutInformation>(&information, kNoDialog);
        ASSERT_TRUE(window->createModeless(u"Notice"));
        const auto icon
            = tesselres::loadIcon(c.error ? CWinTSLayoutError::kIcon : CWinTSLayoutInformation::kIcon);
        ASSERT_TRUE(icon);
        auto* iconControl = dynamic_cast<ui::Static*>(window->child(CWinTSLayoutNotice::kIconControl));
        ASSERT_NE(iconControl, nullptr);
        ASSERT_NE(iconControl->image(), nullptr);
        EXPECT_EQ(*iconControl->image(), *icon);
        const ui::Rect content = window->GetContentRect();
        EXPECT_EQ(iconControl->windowRect().left, content.left + 10);
        EXPECT_EQ(iconControl->windowRect().top, content.top + 10);
        EXPECT_EQ(window->transparentCount(), c.error ? 1 : 2);

        CHTMLView* view = window->view();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->backgroundColor(), 0x203040u);
        const ui::Rect at = view->windowRect();
        EXPECT_EQ(at, window->viewRect());
        EXPECT_EQ(at.left, content.left + 16 + iconWidth - 3);
        EXPECT_EQ(at.top, content.top + 13 - 3);
        EXPECT_EQ(at.right, content.right - 10 + 3);
        EXPECT_LE(at.height(), screenHeight) << "no taller than the screen";
        const int needed = (c.error ? 2 : 1) * view->GetLayoutHeight() + 3;
        if (c.text == longText) {
            EXPECT_GT(needed, screenHeight) << "the text needs more than the screen";
            EXPECT_EQ(at.bottom, screenHeight + 3);
        } else {
            EXPECT_EQ(at.height(), needed + 6);
        }
        window->destroy();
    }
}

} // namespace
