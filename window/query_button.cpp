#include "window/query_button.h"

#include "window/song_metrics.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace quarnel {

QueryButton::QueryButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
}

void QueryButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void QueryButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const SongMetrics metrics(font());
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QPoint topLeft(area.left() + (area.width() - metrics.width(caption)) / 2,
                         area.top() + (area.height() - metrics.lineHeight()) / 2);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    metrics.drawLine(painter, topLeft, caption);
}

}  // namespace quarnel
