#include "platform/tesselres/DialogTemplates.h"
#include "platform/ui/Button.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ListView.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/Static.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;

// Writes down the commands it gets and what its controls were at onCreate.
class CommandDialog : public Dialog {
public:
    Lines seen;
    int controlsAtCreate = -1;

protected:
    void onCreate() override { controlsAtCreate = static_cast<int>(children().size()); }
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override
    {
        seen.push_back("command " + std::to_string(id) + " code " + std::to_string(code));
        return 0;
    }
};

void drain()
{
    Message message;
    while (peekMessage(&message, true)) {
        if (message.id != kWmQuit)
            dispatchMessage(message);
    }
}

TEST(DialogTemplate, MakesItsControlsAtTheirRectanglesBeforeOnCreate)
{
    TempDeviceRoot root;
    const tesselres::DialogTemplate* progress = tesselres::dialogTemplate(106);
    ASSERT_NE(progress, nullptr);
    CommandDialog dialog;
    dialog.setTemplate(progress->controls);
    ASSERT_TRUE(dialog.createModeless(u"Sending"));
    EXPECT_EQ(dialog.controlsAtCreate, 4) << "the controls exist when onCreate runs";
    struct Case {
        int id;
        const char16_t* className;
        Rect rect;
        bool visible;
    };
    const Case cases[] = {
        {1005, u"static", {4, 4, 36, 36}, true},
        {1002, u"static", {0, 0, 240, 20}, true},
        {1003, u"button", {160, 0, 236, 24}, false},
        {1004, u"msctls_progress32", {4, 44, 176, 56}, true},
    };
    for (const Case& c : cases) {
        Window* control = dialog.child(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(control->className(), c.className) << c.id;
        EXPECT_EQ(control->windowRect(), c.rect) << c.id;
        EXPECT_EQ(control->visible(), c.visible) << c.id;
    }
    ASSERT_NE(dynamic_cast<ProgressBar*>(dialog.child(1004)), nullptr);
    ASSERT_NE(dynamic_cast<Button*>(dialog.child(1003)), nullptr);
    ASSERT_NE(dynamic_cast<Static*>(dialog.child(1005)), nullptr);

    // What a progress window does with them: a picture, a position, the button shown with its label.
    auto icon = std::make_shared<Bitmap>(16, 16, rgb(200, 0, 0));
    static_cast<Static*>(dialog.child(1005))->setBitmap(icon);
    sendMessage(dialog.child(1004)->handle(), kPbmSetPos, 50, 0);
    dialog.child(1003)->setText(u"Cancel");
    dialog.child(1003)->show(true);
    setFocus(dialog.child(1003)->handle());
    EXPECT_EQ(textSnapshot(), (Lines {"== Sending ==", "  > [ Cancel ]", "  [#####     ] 50%"}));

    Compositor compositor(240, 320);
    compositor.compose();
    const Bitmap& frame = compositor.frame();
    const int top = systemMetric(kMetricCaptionHeight);
    struct Spot {
        const char* what;
        int x;
        int y;
        Color color;
    };
    const Spot spots[] = {
        {"the picture centred in its static", 4 + 8 + 2, top + 4 + 8 + 2, rgb(200, 0, 0)},
        {"the bar's filled half", 4 + 20, top + 50, systemColor(kColorHighlight)},
        {"the bar's empty half", 4 + 150, top + 50, systemColor(kColorWindow)},
        {"the bar's frame", 4, top + 50, systemColor(kColorButtonShadow)},
        {"below the bar", 4 + 20, top + 57, systemColor(kColorWindow)},
        {"the focused button's face", 160 + 3, top + 3, systemColor(kColorHighlight)},
    };
    for (const Spot& s : spots)
        EXPECT_EQ(frame.pixel(s.x, s.y), s.color) << s.what;
}

TEST(DialogTemplate, TheListOfATemplateIsPlacedAndPagesByItsHeight)
{
    TempDeviceRoot root;
    CommandDialog dialog;
    dialog.setTemplate(tesselres::dialogTemplate(110)->controls);
    ASSERT_TRUE(dialog.createModeless(u"Choose"));
    auto* list = dynamic_cast<ListView*>(dialog.child(1006));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowRect(), (Rect {0, 120, 240, 268}));
    EXPECT_EQ(list->pageRows(), 148 / list->rowHeight());
    auto* prompt = dynamic_cast<Static*>(dialog.child(1100));
    ASSERT_NE(prompt, nullptr);
    prompt->setText(u"Which album shall the pictures go to?");
    EXPECT_EQ(textSnapshot(), (Lines {"== Choose ==", "  Which album shall the pictures go to?"}));
}

TEST(Button, EnterSpaceAndATapPressItAndItsParentGetsItsCommand)
{
    TempDeviceRoot root;
    struct Case {
        const char* what;
        std::uint32_t message;
        std::uint64_t wParam;
        bool enabled;
        Lines seen;
    };
    const Case cases[] = {
        {"Enter", kWmKeyDown, kVkReturn, true, {"command 1003 code 0"}},
        {"Space", kWmChar, u' ', true, {"command 1003 code 0"}},
        {"a tap", kWmLButtonUp, 0, true, {"command 1003 code 0"}},
        {"another key goes on to the dialog", kWmKeyDown, kVkDown, true, {}},
        {"a disabled button", kWmKeyDown, kVkReturn, false, {}},
    };
    for (const Case& c : cases) {
        CommandDialog dialog;
        dialog.createModeless(u"Error");
        Button button;
        ASSERT_TRUE(button.create(&dialog, 1003, u"Retry", Rect {160, 0, 236, 24}));
        button.enable(c.enabled);
        setFocus(button.handle());
        postMessage(button.handle(), c.message, c.wParam, 0);
        drain();
        EXPECT_EQ(dialog.seen, c.seen) << c.what;
        EXPECT_TRUE(dialog.exists()) << c.what << ": Enter on a button is not the dialog's OK";
    }
}

TEST(Static, PlacedTextWrapsInsideItsRectangleAndAlignsByStyle)
{
    TempDeviceRoot root;
    struct Case {
        unsigned style;
        bool inkLeft;
        bool inkRight;
    };
    const Case cases[] = {
        {Static::kLeft, true, false},
        {Static::kRight, false, true},
    };
    for (const Case& c : cases) {
        Dialog dialog;
        dialog.createModeless(u"Info");
        Static text;
        ASSERT_TRUE(text.create(&dialog, 1007, u"Sent.", Rect {20, 10, 220, 200}, c.style));
        Compositor compositor(240, 320);
        compositor.compose();
        const Bitmap& frame = compositor.frame();
        const int top = systemMetric(kMetricCaptionHeight) + 10;
        auto inkIn = [&](int left, int right) {
            for (int y = top; y < top + 20; ++y)
                for (int x = left; x < right; ++x)
                    if (frame.pixel(x, y) != systemColor(kColorWindow))
                        return true;
            return false;
        };
        EXPECT_EQ(inkIn(20, 60), c.inkLeft) << c.style;
        EXPECT_EQ(inkIn(180, 220), c.inkRight) << c.style;
        EXPECT_FALSE(inkIn(0, 20)) << "nothing left of the rectangle";
    }

    // A long text wraps over lines inside the rectangle and no further.
    Dialog dialog;
    dialog.createModeless(u"Info");
    Static text;
    text.create(&dialog, 1007, u"The message could not be sent because the network connection timed out.",
        Rect {20, 10, 120, 200});
    Compositor compositor(240, 320);
    compositor.compose();
    const Bitmap& frame = compositor.frame();
    int lastInkRow = 0;
    bool outside = false;
    for (int y = 0; y < frame.height() - systemMetric(kMetricMenuHeight); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if (y < systemMetric(kMetricCaptionHeight) || frame.pixel(x, y) == systemColor(kColorWindow))
                continue;
            lastInkRow = y;
            outside = outside || x < 20 || x >= 120;
        }
    }
    EXPECT_FALSE(outside) << "the text stays inside its rectangle";
    EXPECT_GT(lastInkRow, systemMetric(kMetricCaptionHeight) + 10 + 3 * 16) << "over several lines";
}

} // namespace
} // namespace tessel::ui
