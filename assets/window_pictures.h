#pragma once

#include <QIcon>
#include <QImage>

namespace quarnel {

// The pictures the main window is drawn with, built into the program: images, not
// pixmaps, so they can be decoded away from the GUI thread.
struct WindowPictures {
    QImage background;
    QImage badge;
    QImage pageRankBar;
};
WindowPictures decodeWindowPictures();

// The icon prefers the installed icon theme's copy.
QIcon windowIcon();

}  // namespace quarnel
