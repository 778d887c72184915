#include "assets/window_pictures.h"

namespace quarnel {

WindowPictures decodeWindowPictures() {
    return {.background = QImage(QStringLiteral(":/assets/background.jpg")),
            .badge = QImage(QStringLiteral(":/assets/badge.gif")),
            .pageRankBar = QImage(QStringLiteral(":/assets/pagerank-bar.gif"))};
}

QIcon windowIcon() {
    // Installed, the icon comes from the desktop's icon theme under the desktop entry's
    // name; run from the build tree, from the program itself. Both are the same drawing.
    return QIcon::fromTheme(QStringLiteral("example.quarnel.Quarnel"), QIcon(QStringLiteral(":/assets/quarnel.ico")));
}

}  // namespace quarnel
