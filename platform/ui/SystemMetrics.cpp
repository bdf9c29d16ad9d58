#include "platform/ui/SystemMetrics.h"

#include "platform/kernel/DeviceFacts.h"

namespace tessel::ui {

namespace {

struct ColorEntry {
    int index;
    Color color;
};

constexpr ColorEntry kColors[] = {
    {kColorScrollbar, rgb(200, 200, 200)},
    {kColorBackground, rgb(0, 0, 0)},
    {kColorActiveCaption, rgb(0, 60, 140)},
    {kColorMenu, rgb(255, 255, 255)},
    {kColorWindow, rgb(255, 255, 255)},
    {kColorWindowFrame, rgb(0, 0, 0)},
    {kColorMenuText, rgb(0, 0, 0)},
    {kColorWindowText, rgb(0, 0, 0)},
    {kColorCaptionText, rgb(255, 255, 255)},
    {kColorHighlight, rgb(0, 90, 200)},
    {kColorHighlightText, rgb(255, 255, 255)},
    {kColorButtonFace, rgb(212, 208, 200)},
    {kColorButtonShadow, rgb(128, 128, 128)},
    {kColorGrayText, rgb(128, 128, 128)},
    {kColorButtonText, rgb(0, 0, 0)},
    {kColorButtonHighlight, rgb(255, 255, 255)},
    {kColor3dDkShadow, rgb(64, 64, 64)},
};

struct MetricEntry {
    int index;
    int value;
};

constexpr MetricEntry kMetrics[] = {
    {kMetricVScrollWidth, 13},
    {kMetricHScrollHeight, 13},
    {kMetricCaptionHeight, 24},
    {kMetricBorderWidth, 1},
    {kMetricBorderHeight, 1},
    {kMetricIconWidth, 32},
    {kMetricIconHeight, 32},
    {kMetricMenuHeight, 26},
    {kMetricSmallIconWidth, 16},
    {kMetricSmallIconHeight, 16},
};

} // namespace

Color systemColor(int index)
{
    for (const ColorEntry& e : kColors) {
        if (e.index == index)
            return e.color;
    }
    return 0;
}

int systemMetric(int index)
{
    if (index == kMetricScreenWidth)
        return kernel::deviceFacts().screenWidth;
    if (index == kMetricScreenHeight)
        return kernel::deviceFacts().screenHeight;
    for (const MetricEntry& e : kMetrics) {
        if (e.index == index)
            return e.value;
    }
    return 0;
}

} // namespace tessel::ui
