#pragma once

#include "fetch/http_page_fetcher.h"
#include "panels/search_links.h"
#include "panels/url_opener.h"
#include "shell/control_model.h"
#include "shell/last_domain_file.h"
#include "shell/window/background_transport.h"
#include "shell/window/history/window_history.h"
#include "shell/window/window_message_box.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quarnel {

class CaptionLabel;
class ClickableLabel;
class DomainBox;
class WebPanel;

// The one window of the program, with all its controls. The logic reaches the
// controls through the control model; the window adds what a person sees and clicks.
class Form1 final : public QWidget, public ControlModel {
    Q_OBJECT
public:
    // Query runs are recorded into `history`; without one they are not.
    Form1(HttpTransport& transport, const LastDomainFile& lastDomain, UrlOpener& urlOpener,
          HistoryAccess history = {});

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createPictures();
    void createLabels();
    void createInputs();
    void createPanels();
    void placeControls();
    void chainFocus();
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
    WindowHistory history_;

    std::array<CaptionLabel*, kResultLabels.size()> resultLabels_{};
    std::vector<CaptionLabel*> autoSized_;
    std::vector<QWidget*> tabOrder_;         // the controls that take the keyboard, in tab order
    std::array<QLineEdit*, 3> textBoxes_{};  // by TextBox: Text1, Text3, Text6
    DomainBox* domainBox_ = nullptr;         // Text3
    QPushButton* command1_ = nullptr;
    WebPanel* webBrowser1_ = nullptr;
    WebPanel* webBrowser2_ = nullptr;
    QTimer timer1_{this};
    int timer1Interval_ = 0;
    bool timer1Enabled_ = true;
    bool queryInProgress_ = false;
};

}  // namespace quarnel
