#include "window/caption_label.h"

#include "window/song_metrics.h"

#include <QPainter>

#include <algorithm>

namespace quarnel {
namespace {

// Greedy word wrap; a word wider than the label breaks between characters.
QStringList wrapped(const QString& paragraph, const SongMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    const auto fits = [&](const QString& text) { return metrics.width(text) <= width; };
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

QStringList CaptionLabel::lines() const {
    const QStringList paragraphs = text().split(QLatin1Char('\n'));
    if (!wordWrap()) {
        return paragraphs;
    }
    const SongMetrics metrics(font());
    QStringList lines;
    for (const QString& paragraph : paragraphs) {
        lines << wrapped(paragraph, metrics, contentsRect().width());
    }
    return lines;
}

QSize CaptionLabel::sizeHint() const {
    if (text().isEmpty()) {
        return QSize(0, 0);
    }
    const SongMetrics metrics(font());
    const QStringList captionLines = lines();
    int width = 0;
    for (const QString& line : captionLines) {
        width = std::max(width, metrics.width(line));
    }
    return QSize(width, metrics.lineHeight() * static_cast<int>(captionLines.size()));
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
    const SongMetrics metrics(font());
    const QRect area = contentsRect();
    int top = area.top();
    for (const QString& line : lines()) {
        const int width = metrics.width(line);
        int left = area.left();
        if (alignment() & Qt::AlignHCenter) {
            left += (area.width() - width) / 2;
        } else if (alignment() & Qt::AlignRight) {
            left += area.width() - width;
        }
        metrics.drawLine(painter, QPoint(left, top), line);
        top += metrics.lineHeight();
    }
}

}  // namespace quarnel
