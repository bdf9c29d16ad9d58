#pragma once

#include "platform/ui/Bitmap.h"

// The system colours and metrics, with the phone's index numbers, from one
// table; the screen's size comes from device.conf. An unknown index gives 0.
namespace tessel::ui {

inline constexpr int kColorScrollbar = 0;
inline constexpr int kColorBackground = 1;
inline constexpr int kColorActiveCaption = 2;
inline constexpr int kColorWindow = 5;
inline constexpr int kColorWindowFrame = 6;
inline constexpr int kColorMenu = 4;
inline constexpr int kColorMenuText = 7;
inline constexpr int kColorWindowText = 8;
inline constexpr int kColorCaptionText = 9;
inline constexpr int kColorHighlight = 13;
inline constexpr int kColorHighlightText = 14;
inline constexpr int kColorButtonFace = 15;
inline constexpr int kColorButtonShadow = 16;
inline constexpr int kColorGrayText = 17;
inline constexpr int kColorButtonText = 18;
inline constexpr int kColorButtonHighlight = 20;
inline constexpr int kColor3dDkShadow = 21;

inline constexpr int kMetricScreenWidth = 0;
inline constexpr int kMetricScreenHeight = 1;
inline constexpr int kMetricVScrollWidth = 2;
inline constexpr int kMetricHScrollHeight = 3;
inline constexpr int kMetricCaptionHeight = 4;
inline constexpr int kMetricBorderWidth = 5;
inline constexpr int kMetricBorderHeight = 6;
inline constexpr int kMetricIconWidth = 11;
inline constexpr int kMetricIconHeight = 12;
inline constexpr int kMetricMenuHeight = 15;
inline constexpr int kMetricSmallIconWidth = 49;
inline constexpr int kMetricSmallIconHeight = 50;

Color systemColor(int index);
int systemMetric(int index);

} // namespace tessel::ui
