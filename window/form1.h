#pragma once

#include "controls/control_model.h"
#include "controls/last_domain_file.h"
#include "fetch/http_page_fetcher.h"
#include "panels/search_links.h"
#include "panels/url_opener.h"
#include "query/waits.h"
#include "window/background_transport.h"
#include "window/event_loop_waits.h"
#include "window/history/window_history.h"
#include "window/verification_dialog.h"
#include "window/overview/window_overview.h"
#include "window/web_panel_library.h"
#include "window/window_message_box.h"
#include "window/window_rules.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;

namespace quarnel {

class CaptionLabel;
class ClickableLabel;
class DomainBox;
class LateBrowserTransport;
class QueryButton;

// What main, or a test, chooses for one session of the window.
struct WindowSession {
    // --profile: the rules to query by this time, not remembered; empty: the remembered ones.
    std::string profile;
    // Where the pauses between requests pass; null: in the window's event loop.
    Waits* waits = nullptr;
    // The browser engine whose state a 安全验证 window shows, for a blocked search to be
    // passed there; null: a blocked answer stands.
    LateBrowserTransport* browser = nullptr;
};

// The one window of the program, with all its controls. The logic reaches the
// controls through the control model; the window adds what a person sees and clicks.
// The web panels are created right after the window first paints; navigations
// asked for before then wait for them.
class Form1 final : public QWidget, public ControlModel {
    Q_OBJECT
public:
    // Query runs are recorded into `history`; without one they are not.
    Form1(HttpTransport& transport, const LastDomainFile& lastDomain, UrlOpener& urlOpener,
          HistoryAccess history = {}, const WindowSession& session = {});

    // The Load event: panels to their pages, the remembered domain into Text3.
    void load();

    std::string caption(ResultLabel label) const override;
    void setCaption(ResultLabel label, const std::string& caption) override;
    std::string text(TextBox box) const override;
    void setText(TextBox box, const std::string& text) override;
    void setTimerInterval(int milliseconds) override;
    void setTimerEnabled(bool enabled) override;
    void navigate(BrowserPanel panel, const std::string& url) override;
    void submitCheckPage() override;

    bool queryInProgress() const { return queryInProgress_; }

signals:
    // The web panels exist now, and the waiting navigations have started.
    void panelsCreated();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void chainFocus();

private:
    void createControls();
    void createPictures();
    void createLabels();
    void createInputs();
    void createPanels();
    void placeControls();
    void connectEvents();
    ClickableLabel* createSearchLink(const char* name, const char* toolTip);

    void runQuery();
    void startFillTimer();
    void fillCheckPage();
    void openLink(SearchLink link);
    void updateTimer1();
    CaptionLabel* resultLabel(ResultLabel label) const;
    QLineEdit* textBox(TextBox box) const;

    BackgroundTransport transport_;
    WindowMessageBox messageBox_;
    CountingMessageBox countedBox_{messageBox_};  // the failed fetches, for the history
    HttpPageFetcher fetcher_;
    const LastDomainFile& lastDomain_;
    UrlOpener& urlOpener_;
    SystemClock clock_;
    WindowHistory history_;
    WindowRules rules_;
    EventLoopWaits eventLoopWaits_;
    Waits& waits_;
    RandomPauseDraw pauses_;
    BrowserVerificationWindows verificationWindows_;
    WindowOverview overview_;

    std::array<CaptionLabel*, kResultLabels.size()> resultLabels_{};
    std::vector<CaptionLabel*> autoSized_;
    std::vector<QWidget*> tabOrder_;         // the controls that take the keyboard, in tab order
    std::array<QLineEdit*, 3> textBoxes_{};  // by TextBox: Text1, Text3, Text6
    DomainBox* domainBox_ = nullptr;         // Text3
    QueryButton* command1_ = nullptr;
    WebPanelLibrary webPanels_;
    QWidget* webBrowser1_ = nullptr;  // with WebBrowser2, null until the panels are created
    QWidget* webBrowser2_ = nullptr;
    bool firstPaintFollowedUp_ = false;
    std::vector<std::pair<BrowserPanel, std::string>> pendingNavigations_;
    QTimer timer1_{this};
    int timer1Interval_ = 0;
    bool timer1Enabled_ = true;
    bool queryInProgress_ = false;
};

}  // namespace quarnel
