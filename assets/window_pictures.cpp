#include "assets/window_pictures.h"

namespace quarnel {

QImage backgroundPicture() {
    return QImage(QStringLiteral(":/assets/background.jpg"));
}

QPixmap badgePicture() {
    return QPixmap(QStringLiteral(":/assets/badge.gif"));
}

QPixmap pageRankBarPicture() {
    return QPixmap(QStringLiteral(":/assets/pagerank-bar.gif"));
}

QIcon windowIcon() {
    // Installed, the icon comes from the desktop's icon theme under the desktop entry's
    // name; run from the build tree, from the program itself. Both are the same drawing.
    return QIcon::fromTheme(QStringLiteral("example.quarnel.Quarnel"), QIcon(QStringLiteral(":/assets/quarnel.ico")));
}

}  // namespace quarnel
