#pragma once

#include <QStyledItemDelegate>

namespace quarnel {

// Draws a cell's number beside a small line of the numbers its model gives under
// `recentRole` (oldest first; an invalid value leaves a gap), in the cell itself: a
// thousand rows need no widget each.
class SparklineDelegate final : public QStyledItemDelegate {
public:
    SparklineDelegate(int recentRole, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int recentRole_;
};

}  // namespace quarnel
