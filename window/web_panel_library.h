#pragma once

#include <QLibrary>
#include <QString>

#include <string>

class QObject;
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

    // A new, blank panel in `parent`, showing pages in `profile` (a QWebEngineProfile, or
    // null for one that keeps nothing); null when the library cannot be loaded.
    QWidget* createPanel(QWidget* parent, QObject* profile = nullptr);

private:
    QLibrary library_;
};

// Keeps what Qt WebEngine says when it starts late, as the window has it start, from the
// user: once, before the first library that starts it is used.
void quietenWebEngine();

bool isWebPanel(const QWidget* widget);
void navigatePanel(QWidget* panel, const std::string& url);
void fillPanelUrlField(QWidget* panel, const QString& text);
void clickPanelSubmit(QWidget* panel);
// The widget that takes the keyboard for the panel: the one showing its page, once made.
QWidget* panelKeyboardTarget(QWidget* panel);

}  // namespace quarnel
