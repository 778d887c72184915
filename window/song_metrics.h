#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QStringView>

class QPainter;
class QPoint;

namespace quarnel {

// 宋体 (SimSun) at the given size; where it is not installed, a Song-style CJK face
// stands in, so no character of the window shows as a box.
QFont songFont(double pointSize, bool bold = false);

// Text measured and drawn the way the window was laid out for 宋体 (SimSun): every
// character sits in a cell one em wide (full-width: CJK and full-width punctuation)
// or half an em (half-width: ASCII), a bold one a pixel wider, and one line is one
// em tall. Where 宋体 itself is installed its own metrics are used; a stand-in face
// draws each glyph centred in its cell, so the columns line up as designed.
class SongMetrics {
public:
    explicit SongMetrics(const QFont& font);

    int width(QStringView line) const;
    int lineHeight() const { return em_; }
    // Draws one line whose em box has its top left corner at `topLeft`.
    void drawLine(QPainter& painter, QPoint topLeft, const QString& line) const;

private:
    int cellWidth(char32_t character) const;
    int advance(const QString& glyph) const;

    QFontMetrics fontMetrics_;
    int em_;
    bool ownMetrics_;  // 宋体 itself: its glyphs already have these widths
    bool bold_;
};

}  // namespace quarnel
