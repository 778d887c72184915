#include "assets/window_pictures.h"

namespace quarnel {

QPixmap backgroundPicture() {
    return QPixmap(QStringLiteral(":/assets/background.jpg"));
}

QPixmap badgePicture() {
    return QPixmap(QStringLiteral(":/assets/badge.gif"));
}

QPixmap pageRankBarPicture() {
    return QPixmap(QStringLiteral(":/assets/pagerank-bar.gif"));
}

QIcon windowIcon() {
    return QIcon(QStringLiteral(":/assets/quarnel.ico"));
}

}  // namespace quarnel
