#include "shell/window/web_panel_library.h"

#include <QByteArray>
#include <QWidget>

namespace quarnel {

WebPanelLibrary::WebPanelLibrary(const QString& path) : library_(path) {}

QWidget* WebPanelLibrary::createPanel(QWidget* parent) {
    using CreatePanel = QWidget* (*)(QWidget*);
    const auto create = reinterpret_cast<CreatePanel>(library_.resolve("quarnelCreateWebPanel"));
    return create != nullptr ? create(parent) : nullptr;
}

bool isWebPanel(const QWidget* widget) {
    return widget != nullptr && widget->inherits("quarnel::WebPanel");
}

void navigatePanel(QWidget* panel, const std::string& url) {
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "navigate", Q_ARG(QByteArray, QByteArray::fromStdString(url)));
    }
}

void fillPanelUrlField(QWidget* panel, const QString& text) {
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "fillUrlField", Q_ARG(QString, text));
    }
}

void clickPanelSubmit(QWidget* panel) {
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "clickSubmit");
    }
}

QWidget* panelKeyboardTarget(QWidget* panel) {
    QWidget* target = panel;
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "keyboardTarget", Q_RETURN_ARG(QWidget*, target));
    }
    return target;
}

}  // namespace quarnel
