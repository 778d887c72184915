#include "shell/window/web_panel_library.h"

#include "shell/window/late_library_path.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QOpenGLContext>
#include <QOpenGLWidget>
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

void prepareForPanels(QWidget& window) {
    // Qt settles a window's surface (raster or OpenGL) when it creates the native window,
    // from the widgets in it then. A web panel draws through OpenGL: added to a window
    // already shown, it has Qt destroy that window and show a new one, a flash that also
    // loses the clicks and keys sent meanwhile. A hidden OpenGL widget, there before the
    // first show, has the window made with an OpenGL surface from the start; it is never
    // shown, so it makes no context of its own. The price: the window's frames, the first
    // too, reach the screen through OpenGL. (Giving the window an OpenGL surface alone, and
    // drawing it as before, crashes Qt 6.4 once a panel draws.)
    const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (shared == nullptr || !shared->isValid()) {
        return;
    }
    auto* surface = new QOpenGLWidget(&window);
    surface->setObjectName(QStringLiteral("OpenGLSurface"));
    surface->hide();
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
