#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace quarnel {

// The pictures the main window is drawn with, built into the program; the icon prefers
// the installed icon theme's copy.
// An image, not a pixmap, so it can be decoded away from the GUI thread.
QImage backgroundPicture();
QPixmap badgePicture();
QPixmap pageRankBarPicture();
QIcon windowIcon();

}  // namespace quarnel
