#include "window/overview/sparkline_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <limits>

namespace quarnel {
namespace {

constexpr int kLineWidth = 64;
constexpr int kMargin = 4;
const QColor kLineColour(0x30, 0x70, 0xc0);

// The line through the numbers that are there, across `area`, lowest at the bottom.
QPainterPath lineThrough(const QVariantList& numbers, const QRectF& area) {
    qlonglong low = std::numeric_limits<qlonglong>::max();
    qlonglong high = std::numeric_limits<qlonglong>::min();
    for (const QVariant& number : numbers) {
        if (number.isValid()) {
            low = std::min(low, number.toLongLong());
            high = std::max(high, number.toLongLong());
        }
    }
    QPainterPath path;
    bool drawing = false;
    const double step = numbers.size() > 1 ? area.width() / static_cast<double>(numbers.size() - 1) : 0;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (!numbers[i].isValid()) {
            drawing = false;
            continue;
        }
        const double share =
            high > low ? static_cast<double>(numbers[i].toLongLong() - low) / static_cast<double>(high - low) : 0.5;
        const QPointF point(area.left() + step * static_cast<double>(i), area.bottom() - share * area.height());
        if (drawing) {
            path.lineTo(point);
        } else {
            path.moveTo(point);
            path.addEllipse(point, 0.5, 0.5);  // a lone number between gaps still shows
            path.moveTo(point);
        }
        drawing = true;
    }
    return path;
}

}  // namespace

SparklineDelegate::SparklineDelegate(int recentRole, QObject* parent)
    : QStyledItemDelegate(parent), recentRole_(recentRole) {}

void SparklineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QVariantList numbers = index.data(recentRole_).toList();
    if (numbers.size() < 2) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, item.widget);

    const QRectF area(item.rect.left() + kMargin, item.rect.top() + kMargin, kLineWidth - 2 * kMargin,
                      item.rect.height() - 2 * kMargin);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(
        QPen(item.state & QStyle::State_Selected ? item.palette.highlightedText().color() : kLineColour, 1));
    painter->drawPath(lineThrough(numbers, area));
    painter->restore();

    item.rect.setLeft(item.rect.left() + kLineWidth);
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
}

QSize SparklineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QSize text = QStyledItemDelegate::sizeHint(option, index);
    return {text.width() + kLineWidth, text.height()};
}

}  // namespace quarnel
