#include "engine/screens/VXLLayoutProgressBar.h"
#include "engine/screens/VXLLayoutProgressSpinner.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/kernel/Clock.h"
#include "platform/tesselres/DialogTemplates.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/Static.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/Layouts/WinTSLayoutProgressBar.h"
#include "ui/Layouts/WinTSLayoutProgressSpinner.h"
#include "ui/WinTSMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 42; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

void drain()
{
    ui::Message message;
    while (ui::peekMessage(&message, true)) {
        if (message.id != ui::kWmQuit)
            ui::dispatchMessage(message);
    }
}

bool has(const std::vector<std::string>& lines, const std::string& wanted)
{
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

struct ProgressCase {
    const char* name;
    std::function<CVXLLayout*()> layout;
    std::function<CWinTSLayoutProgress*(CVXLLayout*)> window;
    int iconControl;
    std::uint32_t type;
};

std::vector<ProgressCase> progressCases()
{
    return {
        {"progress bar", [] { return new CVXLLayoutProgressBar(0); },
            [](CVXLLayout* l) {
                return new CWinTSLayoutProgressBar(l, WinTSDialogLink {0, 0, 0, 0, 0});
            },
            CWinTSLayoutProgressBar::kIconControl, kLayoutProgressBar},
        {"spinner", [] { return new CVXLLayoutProgressSpinner(0); },
            [](CVXLLayout* l) {
                return new CWinTSLayoutProgressSpinner(l, WinTSDialogLink {0, 0, 0, 0, 0});
            },
            CWinTSLayoutProgressSpinner::kIconControl, kLayoutProgressSpinner},
    };
}

TEST(WinTSLayoutProgress, TheIconTurnsOnTheDrivenClock)
{
    TempDeviceRoot root;
    const auto first = tesselres::loadIcon(1213);
    const auto second = tesselres::loadIcon(1206);
    ASSERT_TRUE(first && second);
    for (const ProgressCase& c : progressCases()) {
        SCOPED_TRACE(c.name);
        kernel::driveClock(1000, 1'200'000'000);
        std::unique_ptr<CVXLLayout> layout(c.layout());
        std::unique_ptr<CWinTSLayoutProgress> window(c.window(layout.get()));
        ASSERT_TRUE(window->createModeless(u"Progress"));
        auto* icon = dynamic_cast<ui::Static*>(window->child(c.iconControl));
        ASSERT_NE(icon, nullptr);
        // Tick 0 is the opening; the others come every 200 ms.
        std::vector<int> shown {window->iconShown()};
        EXPECT_EQ(*icon->image(), *second) << "the first icon shown is 1206";
        for (int tick = 1; tick <= 8; ++tick) {
            kernel::advanceClock(199);
            drain();
            EXPECT_EQ(static_cast<int>(shown.size()), tick) << "not before 200 ms";
            kernel::advanceClock(1);
            drain();
            shown.push_back(window->iconShown());
            EXPECT_EQ(icon->image(), &window->icon(window->frame()));
        }
        EXPECT_EQ(shown, (std::vector<int> {1206, 1207, 1208, 1209, 1210, 1211, 1212, 1213, 1206}));
        EXPECT_EQ(shown[7], 1213) << "the seventh tick";
        kernel::advanceClock(200);
        drain();
        window->destroy();
        kernel::releaseClock();
    }
}

TEST(WinTSLayoutProgress, CancelIsTheButtonAndBackAndExitTheSoftKeys)
{
    TempDeviceRoot root;
    EngineDriver engine(&root);
    ASSERT_TRUE(engine.create());
    for (const ProgressCase& c : progressCases()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CVXLLayout> layout(c.layout());
        RecordingJob job;
        job.setPool(engine.client()->getUiJobPool());
        layout->setOwner(&job);
        std::unique_ptr<CWinTSLayoutProgress> window(c.window(layout.get()));
        ASSERT_TRUE(window->createModeless(u"Progress"));
        const std::vector<std::string> screen = ui::textSnapshot();
        EXPECT_TRUE(has(screen, "softkeys: [Back] [Exit]")) << testing::PrintToString(screen);
        ui::Window* button = window->child(CWinTSLayout::kButton);
        ASSERT_TRUE(button && button->visible());
        EXPECT_EQ(button->text(), u"Cancel");
        EXPECT_EQ(ui::focusWindow(), button->handle());

        // Enter on the button presses it.
        ui::postMessage(button->handle(), ui::kWmKeyDown, ui::kVkReturn, 0);
        drain();
        window->Refresh(layout.get());
        ASSERT_TRUE(window->pressSoftKey(0));
        drain();
        window->Refresh(layout.get());
        ASSERT_TRUE(window->pressSoftKey(1));
        drain();
        const std::uint32_t type = c.type << 16;
        EXPECT_EQ(job.actions, (std::vector<std::uint32_t> {type | 0x68, type | 0x65, type | 0x66}));
        window->destroy();
    }
}

TEST(WinTSLayoutProgress, TheBoxIsThreeQuartersWideAndAsTallAsItsParts)
{
    TempDeviceRoot root; // no engine: no title text, so no title band
    const int screenWidth = ui::systemMetric(ui::kMetricScreenWidth);
    const int screenHeight = ui::systemMetric(ui::kMetricScreenHeight);
    const int iconHeight = ui::systemMetric(ui::kMetricIconHeight);
    const int caption = ui::systemMetric(ui::kMetricCaptionHeight);

    CVXLLayoutProgressSpinner spinnerLayout;
    CWinTSLayoutProgressSpinner spinner(&spinnerLayout, WinTSDialogLink {0, 0, 0, 0, 0});
    ASSERT_TRUE(spinner.createModeless(u"Wait"));
    EXPECT_EQ(spinner.titleWindow(), nullptr);
    const int buttonHeight = spinner.child(CWinTSLayout::kButton)->windowRect().height();
    const int boxWidth = (screenWidth / 4) * 3;
    const int spinnerBox = std::max(iconHeight, buttonHeight) + 10;
    EXPECT_EQ(spinner.windowRect(),
        (ui::Rect {(screenWidth - boxWidth) / 2, screenHeight / 2 - spinnerBox / 2,
            (screenWidth - boxWidth) / 2 + boxWidth,
            screenHeight / 2 - spinnerBox / 2 + spinnerBox + caption}));
    const ui::Rect button = spinner.child(CWinTSLayout::kButton)->windowRect();
    EXPECT_EQ(button.right, boxWidth);
    EXPECT_EQ(button.bottom, spinnerBox) << "in the bottom-right corner";
    spinner.destroy();

    CVXLLayoutProgressBar barLayout;
    barLayout.setThird(42);
    CWinTSLayoutProgressBar bar(&barLayout, WinTSDialogLink {0, 0, 0, 0, 0});
    ASSERT_TRUE(bar.createModeless(u"Sending"));
    auto* progress = dynamic_cast<ui::ProgressBar*>(bar.child(CWinTSLayoutProgressBar::kProgressControl));
    ASSERT_NE(progress, nullptr);
    const int centre = iconHeight + 10;
    // Placed before the controls are arranged: the template's control height.
    const int templateHeight = tesselres::dialogTemplate(106)->control(1004)->rect.height();
    EXPECT_EQ(bar.windowRect().height() - caption, centre + templateHeight);
    EXPECT_EQ(bar.windowRect().top, screenHeight / 2 - centre / 2);
    const ui::Rect barButton = bar.child(CWinTSLayout::kButton)->windowRect();
    EXPECT_EQ(barButton.width(), ui::systemMetric(ui::kMetricIconWidth));
    EXPECT_EQ(barButton.height(), (caption / 4) * 3);
    EXPECT_EQ(progress->windowRect(), (ui::Rect {0, barButton.top, barButton.left, barButton.bottom}));
    EXPECT_EQ(progress->position(), 42) << "the third value";
    barLayout.setThird(77);
    bar.Refresh(&barLayout);
    EXPECT_EQ(progress->position(), 77);
    bar.destroy();
}

} // namespace
