#include "window/domain_box.h"

#include <QRegularExpression>
#include <QValidator>

#include <limits>

namespace quarnel {
namespace {

// Text that arrives with line breaks (a paste, a drop, a set text) keeps only its
// first line, as in a single-line box on the desktop: the domain goes into URLs and
// the one-line last-domain file. The box sees the whole new text with the cursor
// just after what arrived, so the cut runs from the first break up to the cursor.
class FirstLineOnly final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& cursor) const override {
        static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]"));
        const qsizetype firstBreak = input.indexOf(lineBreak);
        if (firstBreak < 0) {
            return Acceptable;
        }
        if (cursor > firstBreak) {
            input.remove(firstBreak, cursor - firstBreak);
            cursor = static_cast<int>(firstBreak);
        } else {
            input.truncate(firstBreak);
        }
        return Acceptable;
    }
};

}  // namespace

DomainBox::DomainBox(const QString& text, QWidget* parent) : QLineEdit(parent) {
    removeLengthLimit(*this);
    setValidator(new FirstLineOnly(this));
    setText(text);
}

void DomainBox::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    emit clicked();
}

void removeLengthLimit(QLineEdit& box) {
    box.setMaxLength(std::numeric_limits<int>::max());
}

}  // namespace quarnel
