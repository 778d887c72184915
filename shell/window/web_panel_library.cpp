#include "shell/window/web_panel_library.h"

#include "shell/window/late_library_path.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QWidget>

namespace quarnel {

WebPanelLibrary::WebPanelLibrary(const QString& path) : library_(path) {}

QString WebPanelLibrary::path() {
    return lateLibraryPath(QUARNEL_WEB_PANELS_INSTALLED, QUARNEL_WEB_PANELS_BUILT);
}

QWidget* WebPanelLibrary::createPanel(QWidget* parent) {
    // Qt WebEngine loaded once the application object exists needs it made with shared
    // OpenGL contexts, or it crashes on its first page: no panels then.
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) {
        return nullptr;
    }
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
