#include "panels/web_panel.h"

#include <QWebEngineProfile>

// What the window looks up after loading this library: a new panel in `parent`.
extern "C" Q_DECL_EXPORT QWidget* quarnelCreateWebPanel(QWidget* parent) {
    // Qt's default profile keeps nothing on disk and outlives every page.
    return new quarnel::WebPanel(QWebEngineProfile::defaultProfile(), parent);
}
