#pragma once

#include <QRect>

#include <optional>
#include <span>
#include <string_view>

namespace quarnel {

// Where a control of the main window sits, in twips within its container.
struct ControlPlace {
    std::string_view name;
    std::string_view container;  // "Form1", or the frame that holds it
    int left;
    int top;
    int width;
    int height;
    std::optional<int> tabIndex;  // nothing for controls that take no focus

    QRect pixelRect() const;
};

// Every control, frontmost first: where two overlap, the earlier one lies in front
// and takes the mouse.
std::span<const ControlPlace> form1Layout();

// The window's client area, in pixels.
inline constexpr QSize kForm1ClientSize{578, 391};

}  // namespace quarnel
