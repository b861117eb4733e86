#pragma once

#include <QColor>
#include <QRect>

#include "platform/Controls.h"

namespace quibrant::qt {

// The layout is given in twips. Fifteen twips make one pixel at 96 dots per
// inch; Qt's logical pixels keep that proportion on high-density screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

inline QRect pixelRect(int left, int top, int width, int height) {
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

// Colours come as 0x00BBGGRR: red is the low byte.
inline QColor toQColor(platform::Color color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

}  // namespace quibrant::qt
