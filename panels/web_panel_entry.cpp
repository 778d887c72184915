#include "panels/web_panel.h"

#include <QQuickWindow>
#include <QWebEngineProfile>

// What the window looks up after loading this library: a new panel in `parent`, showing
// pages in `profile` (a QWebEngineProfile), or in Qt's default profile when it is null.
extern "C" Q_DECL_EXPORT QWidget* quarnelCreateWebPanel(QWidget* parent, QObject* profile) {
    // Pages are drawn on the CPU into the window's own picture. Drawn through OpenGL,
    // a panel would need the window made for OpenGL from the start: OpenGL loaded before
    // the first paint, a wait longer than all the rest of the window's start.
    if (QQuickWindow::sceneGraphBackend() != QStringLiteral("software")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    // Qt's default profile keeps nothing on disk and outlives every page.
    auto* shown = qobject_cast<QWebEngineProfile*>(profile);
    return new quarnel::WebPanel(shown != nullptr ? shown : QWebEngineProfile::defaultProfile(), parent);
}
