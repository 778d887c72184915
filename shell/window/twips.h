#pragma once

#include <QRect>

#include <cmath>

namespace quarnel {

// The window is laid out in twips, drawn at 15 twips to the pixel.
inline constexpr double kTwipsPerPixel = 15.0;

inline int pixelsFromTwips(int twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect pixelsFromTwips(int left, int top, int width, int height) {
    return QRect(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width), pixelsFromTwips(height));
}

}  // namespace quarnel
