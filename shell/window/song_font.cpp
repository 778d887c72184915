#include "shell/window/song_font.h"

#include <QStringList>

namespace quarnel {

QFont songFont(double pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace quarnel
