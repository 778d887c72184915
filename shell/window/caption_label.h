#pragma once

#include "shell/window/clickable_label.h"

#include <QStringList>

namespace quarnel {

// A label drawn the way the window was designed for 宋体: one line of text is exactly
// one em tall. CJK faces that stand in for it carry a much taller line, which would
// push captions out of the rows they were laid out for.
class CaptionLabel : public ClickableLabel {
    Q_OBJECT
public:
    using ClickableLabel::ClickableLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lineHeight() const;
    // The caption cut into the lines it is drawn in: at its line breaks and, when the
    // label wraps, wherever the next word would run past the right edge.
    QStringList lines() const;
};

}  // namespace quarnel
