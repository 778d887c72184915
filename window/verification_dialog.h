#pragma once

#include "query/verification.h"
#include "window/web_panel_library.h"

#include <QDialog>
#include <QTimer>

namespace quarnel {

class LateBrowserTransport;

// The 安全验证 window: the blocked page in a web view of the browser the request went out
// with, and a line that says what to do. It closes by itself once the page it shows is
// no longer blocked: the person has passed the verification.
class VerificationDialog final : public QDialog, public VerificationWindow {
    Q_OBJECT

public:
    // `view` is a web panel on the browser's profile, which the dialog takes.
    VerificationDialog(QWidget* view, const std::vector<rules::BlockedRule>& blocked, QWidget* parent);

    bool pass(const std::string& url) override;

private slots:
    void loadStarted();
    void loadFinished(bool ok);
    void documentRead(const QString& document);

private:
    QWidget* view_;
    VerificationProgress progress_;
    QTimer rereading_;  // for a page that its scripts change without loading another
};

// Opens 安全验证 windows on `browser`'s state, over `parent`: from the main window for a
// query, or from any other window that queries with the same browser.
class BrowserVerificationWindows final : public VerificationWindows {
public:
    // With no browser, no window ever opens.
    BrowserVerificationWindows(LateBrowserTransport* browser, QWidget& parent);

    std::unique_ptr<VerificationWindow> open(const std::vector<rules::BlockedRule>& blocked) override;

private:
    LateBrowserTransport* browser_;
    QWidget& parent_;
    WebPanelLibrary panels_;
};

}  // namespace quarnel
