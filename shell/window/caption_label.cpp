#include "shell/window/caption_label.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quarnel {
namespace {

// Where the baseline of a line lies within its em, as in CJK faces' ideographic em box.
constexpr double kBaselineInEm = 0.88;

// Greedy word wrap; a word wider than the label breaks between characters.
QStringList wrapped(const QString& paragraph, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    const auto fits = [&](const QString& text) { return metrics.horizontalAdvance(text) <= width; };
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.isEmpty()) {
            lines << line;
        }
        line.clear();
        for (const QChar ch : word) {
            if (!line.isEmpty() && !fits(line + ch)) {
                lines << line;
                line.clear();
            }
            line += ch;
        }
    }
    lines << line;
    return lines;
}

}  // namespace

int CaptionLabel::lineHeight() const {
    return QFontInfo(font()).pixelSize();
}

QStringList CaptionLabel::lines() const {
    const QStringList paragraphs = text().split(QLatin1Char('\n'));
    if (!wordWrap()) {
        return paragraphs;
    }
    QStringList lines;
    for (const QString& paragraph : paragraphs) {
        lines << wrapped(paragraph, fontMetrics(), contentsRect().width());
    }
    return lines;
}

QSize CaptionLabel::sizeHint() const {
    if (text().isEmpty()) {
        return QSize(0, 0);
    }
    const QStringList captionLines = lines();
    int width = 0;
    for (const QString& line : captionLines) {
        width = std::max(width, fontMetrics().horizontalAdvance(line));
    }
    return QSize(width, lineHeight() * static_cast<int>(captionLines.size()));
}

QSize CaptionLabel::minimumSizeHint() const {
    return sizeHint();
}

void CaptionLabel::paintEvent(QPaintEvent* /*event*/) {
    if (text().isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect();
    const int height = lineHeight();
    const int baseline = static_cast<int>(std::lround(height * kBaselineInEm));
    int top = area.top();
    for (const QString& line : lines()) {
        const int width = fontMetrics().horizontalAdvance(line);
        int left = area.left();
        if (alignment() & Qt::AlignHCenter) {
            left += (area.width() - width) / 2;
        } else if (alignment() & Qt::AlignRight) {
            left += area.width() - width;
        }
        painter.drawText(QPoint(left, top + baseline), line);
        top += height;
    }
}

}  // namespace quarnel
