#pragma once

#include <QWebEngineView>

#include <string>

class QWebEngineProfile;

namespace quarnel {

// One of the window's embedded browser panels. The scripts it runs in the shown page
// are fire-and-forget: they find the page as it is at that moment, or do nothing.
class WebPanel : public QWebEngineView {
    Q_OBJECT

public:
    WebPanel(QWebEngineProfile* profile, QWidget* parent);

    // Starts loading `url` (already percent-encoded) and returns at once.
    void navigate(const std::string& url);

    // Sets the value of the page's element called "url" to `text`, when the page has exactly one.
    void fillUrlField(const QString& text);

    // Clicks the first element named "submit", if there is one.
    void clickSubmit();

    // The widget that takes the keyboard for the panel: the one showing the page, once
    // the panel has created it.
    QWidget* keyboardTarget();

signals:
    // The widget that shows the page exists now.
    void pageViewCreated();

protected:
    void childEvent(QChildEvent* event) override;
};

}  // namespace quarnel
