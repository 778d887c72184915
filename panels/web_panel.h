#pragma once

#include <QWebEngineView>

#include <memory>

class QWebEngineProfile;

namespace quarnel {

// One of the window's embedded browser panels. The scripts it runs in the shown page
// are fire-and-forget: they find the page as it is at that moment, or do nothing.
// The window loads this library late and calls the panel through Qt's meta-object
// system, hence the invokable operations.
class WebPanel : public QWebEngineView {
    Q_OBJECT

public:
    WebPanel(QWebEngineProfile* profile, QWidget* parent);

    // Starts loading `url` (already percent-encoded) and returns at once.
    Q_INVOKABLE void navigate(const QByteArray& url);

    // Sets the value of the page's element called "url" to `text`, when the page has exactly one.
    Q_INVOKABLE void fillUrlField(const QString& text);

    // Clicks the first element named "submit", if there is one.
    Q_INVOKABLE void clickSubmit();

    // Reads the shown page's markup as it is now; documentRead() brings it.
    Q_INVOKABLE void readDocument();

    // The widget that takes the keyboard for the panel: the one showing the page, once
    // the panel has created it.
    Q_INVOKABLE QWidget* keyboardTarget();

signals:
    // The widget that shows the page exists now.
    void pageViewCreated();
    void documentRead(const QString& document);

protected:
    void childEvent(QChildEvent* event) override;

private:
    // The page, which goes after the panel, answers a read still under way then: the answer
    // is dropped once this, which goes with the panel, is gone.
    std::unique_ptr<QObject> readsAnswered_ = std::make_unique<QObject>();
};

}  // namespace quarnel
