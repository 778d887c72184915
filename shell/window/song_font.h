#pragma once

#include <QFont>

namespace quarnel {

// 宋体 (SimSun) at the given size; where it is not installed, a Song-style CJK face
// stands in, so no character of the window shows as a box.
QFont songFont(double pointSize, bool bold = false);

}  // namespace quarnel
