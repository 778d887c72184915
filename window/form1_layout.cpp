#include "window/form1_layout.h"

#include <array>
#include <cmath>

namespace quarnel {
namespace {

// The window is laid out in twips, drawn at 15 twips to the pixel.
constexpr double kTwipsPerPixel = 15.0;

int pixelsFromTwips(int twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

QRect pixelsFromTwips(int left, int top, int width, int height) {
    return QRect(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width), pixelsFromTwips(height));
}

constexpr std::array<ControlPlace, 35> kLayout = {{
    {"WebBrowser3", "Form1", 240, 6840, 495, 495, 29},    {"Frame2", "Form1", -240, 4440, 9495, 1575, 27},
    {"WebBrowser2", "Frame2", 0, -120, 10335, 1695, 28},  {"Timer1", "Form1", 7320, 5400, 0, 0, std::nullopt},
    {"Frame1", "Form1", -120, 720, 9015, 2055, 16},       {"WebBrowser1", "Frame1", 80, -1440, 9015, 3495, 17},
    {"Text6", "Form1", 1200, 6480, 6255, 270, 6},         {"Text3", "Form1", 2400, 120, 3735, 375, 2},
    {"Text1", "Form1", 240, 6120, 7455, 270, 1},          {"Command1", "Form1", 6240, 120, 855, 375, 0},
    {"Image1", "Form1", 60, 55, 1035, 600, std::nullopt}, {"Label21", "Form1", 7320, 120, 1095, 375, 26},
    {"Label20", "Form1", 2760, 525, 2700, 180, 25},       {"Label19", "Form1", 6960, 3720, 975, 615, 24},
    {"Label18", "Form1", 5880, 3720, 855, 615, 23},       {"Label17", "Form1", 4560, 3720, 1095, 615, 22},
    {"Label16", "Form1", 3480, 3720, 855, 615, 21},       {"Label15", "Form1", 2160, 3720, 1095, 615, 20},
    {"Label14", "Form1", 360, 4080, 795, 180, 19},        {"Label8", "Form1", 1080, 3720, 975, 615, 18},
    {"Label13", "Form1", 4725, 4080, 780, 180, 15},       {"Label12", "Form1", 3525, 4080, 780, 180, 14},
    {"Label11", "Form1", 5895, 4080, 780, 180, 13},       {"Label5", "Form1", 2400, 4080, 780, 180, 12},
    {"Label9", "Form1", 7095, 4080, 780, 180, 9},         {"Label7", "Form1", 360, 3720, 7785, 180, 8},
    {"Label4", "Form1", 1200, 4080, 780, 180, 5},         {"Label6", "Form1", 2040, 3000, 915, 210, 7},
    {"Label1", "Form1", 3000, 3000, 900, 210, 3},         {"Label10", "Form1", 4560, 3000, 1365, 210, 10},
    {"Label2", "Form1", 5880, 3000, 900, 210, 4},         {"Image40", "Form1", 960, 2880, 6750, 510, std::nullopt},
    {"Label3", "Form1", 1320, 200, 975, 255, 11},         {"Image13", "Form1", -240, 2520, 12465, 8115, std::nullopt},
    {"Image2", "Form1", 0, 0, 12465, 8115, std::nullopt},
}};

}  // namespace

QRect ControlPlace::pixelRect() const {
    return pixelsFromTwips(left, top, width, height);
}

std::span<const ControlPlace> form1Layout() {
    return kLayout;
}

}  // namespace quarnel
