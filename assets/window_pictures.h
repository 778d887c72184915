#pragma once

#include <QIcon>
#include <QPixmap>

namespace quarnel {

// The pictures the main window is drawn with, built into the program.
QPixmap backgroundPicture();
QPixmap badgePicture();
QPixmap pageRankBarPicture();
QIcon windowIcon();

}  // namespace quarnel
