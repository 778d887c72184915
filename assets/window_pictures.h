#pragma once

#include <QIcon>
#include <QPixmap>

namespace quarnel {

// The pictures the main window is drawn with, built into the program; the icon prefers
// the installed icon theme's copy.
QPixmap backgroundPicture();
QPixmap badgePicture();
QPixmap pageRankBarPicture();
QIcon windowIcon();

}  // namespace quarnel
