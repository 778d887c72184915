#include "window/song_metrics.h"

#include <QStringList>

#include <QFontInfo>
#include <QPainter>

#include <cmath>

namespace quarnel {

QFont songFont(double pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
namespace {

// Where the baseline of a line lies within its em, as in CJK faces' ideographic em box.
constexpr double kBaselineInEm = 0.88;

// 宋体 gives the single-byte characters of its code page half a cell, as do the
// half-width forms of Unicode; every other character is full-width.
bool isHalfWidth(char32_t character) {
    return character < 0x80 || (character >= 0xFF61 && character <= 0xFFDC) ||
           (character >= 0xFFE8 && character <= 0xFFEE);
}

bool isSongFace(const QString& family) {
    return family == QStringLiteral("SimSun") || family == QStringLiteral("宋体");
}

}  // namespace

SongMetrics::SongMetrics(const QFont& font)
    : fontMetrics_(font),
      em_(QFontInfo(font).pixelSize()),
      ownMetrics_(isSongFace(QFontInfo(font).family())),
      bold_(font.bold()) {}

int SongMetrics::cellWidth(char32_t character) const {
    return (isHalfWidth(character) ? em_ / 2 : em_) + (bold_ ? 1 : 0);
}

int SongMetrics::width(QStringView line) const {
    if (ownMetrics_) {
        return fontMetrics_.horizontalAdvance(line.toString());
    }
    int width = 0;
    for (const char32_t character : line.toUcs4()) {
        width += cellWidth(character);
    }
    return width;
}

int SongMetrics::advance(const QString& glyph) const {
    // One UTF-16 unit is measured without laying out a whole text: many times faster, and
    // a window's worth of characters is measured before its first paint.
    return glyph.size() == 1 ? fontMetrics_.horizontalAdvance(glyph.front()) : fontMetrics_.horizontalAdvance(glyph);
}

void SongMetrics::drawLine(QPainter& painter, QPoint topLeft, const QString& line) const {
    const int baseline = topLeft.y() + static_cast<int>(std::lround(em_ * kBaselineInEm));
    if (ownMetrics_) {
        painter.drawText(QPoint(topLeft.x(), baseline), line);
        return;
    }
    int left = topLeft.x();
    for (const char32_t character : line.toUcs4()) {
        const QString glyph = QString::fromUcs4(&character, 1);
        const int cell = cellWidth(character);
        painter.drawText(QPoint(left + (cell - advance(glyph)) / 2, baseline), glyph);
        left += cell;
    }
}

}  // namespace quarnel
