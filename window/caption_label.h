#pragma once

#include "window/clickable_label.h"

#include <QStringList>

namespace quarnel {

// A label drawn with 宋体's metrics whatever face draws it (see SongMetrics): the
// window's rows and columns were laid out for them.
class CaptionLabel : public ClickableLabel {
    Q_OBJECT
public:
    using ClickableLabel::ClickableLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The caption cut into the lines it is drawn in: at its line breaks and, when the
    // label wraps, wherever the next word would run past the right edge.
    QStringList lines() const;
};

}  // namespace quarnel
