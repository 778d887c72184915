#pragma once

#include <QLibrary>
#include <QString>

#include <string>

class QWidget;

namespace quarnel {

// The window's web panels live in a library of their own, loaded only when the first
// panel is asked for: Qt WebEngine alone takes longer to load than the rest of the
// window to show. The window does not link it, so it reaches a panel's operations
// through Qt's meta-object system; each does nothing for a null panel.
class WebPanelLibrary {
public:
    explicit WebPanelLibrary(const QString& path);

    // The installed library beside this program's install, else the one in the build tree.
    static QString path();

    // A new, blank panel in `parent`; null when the library cannot be loaded, or when
    // the application was made without Qt::AA_ShareOpenGLContexts.
    QWidget* createPanel(QWidget* parent);

private:
    QLibrary library_;
};

// Gives `window`, not yet shown, the kind of native surface web panels draw into, so that
// adding them later keeps its native window rather than replacing it. Does nothing where
// the application cannot make OpenGL contexts to share, as no panel is made there.
void prepareForPanels(QWidget& window);

bool isWebPanel(const QWidget* widget);
void navigatePanel(QWidget* panel, const std::string& url);
void fillPanelUrlField(QWidget* panel, const QString& text);
void clickPanelSubmit(QWidget* panel);
// The widget that takes the keyboard for the panel: the one showing its page, once made.
QWidget* panelKeyboardTarget(QWidget* panel);

}  // namespace quarnel
