#pragma once

#include "base/run_record.h"
#include "fetch/http_transport.h"
#include "query/verification.h"
#include "query/waits.h"
#include "watch/hand_pass.h"
#include "window/history/history_access.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quarnel {

// What a watch pass started from the window takes from the main window: its transport
// and its waits (each in a local event loop, so the windows stay responsive), how long
// each pause of the rules' pace is, its clock, the Open PageRank key as it stands when
// the pass starts, and the 安全验证 windows in which the user passes a verification when
// an answer is blocked (null: the answer goes to the rules' back-off, or stays blocked).
struct WindowPassSetup {
    HttpTransport& transport;
    Waits& waits;
    PauseDraw& pauses;
    const Clock& clock;
    std::function<std::string()> key;
    VerificationWindows* verification = nullptr;
};

// 立即检查 under the overview's table: one watch pass over the watched domains, with the
// rules the daily pass uses, shown as it goes ("3 / 12 · example.com · 等待 4 s") and
// cancelled at will. While another pass holds the list the button says so.
class CheckNowBar final : public QWidget, private watch::PassProgress {
    Q_OBJECT
public:
    CheckNowBar(WindowPassSetup setup, HistoryAccess history, std::filesystem::path watchList, QWidget* parent);

    bool running() const { return pass_ != nullptr; }
    // While the main window queries, no pass starts.
    void setQueryRunning(bool running);
    // Looks whether another pass holds the list, and says so on the button.
    void lookForOtherPass();

signals:
    void runRecorded(const std::string& domain);

private:
    void start();
    void runPass(const std::vector<std::string>& domains);
    void showEnd(watch::HandPass::Ended ended, std::size_t total, std::size_t notQueried);
    void showIdle(bool otherPass);
    void querying(const watch::BatchPlace& place) override;
    void waiting(Wait::For why, std::chrono::seconds left) override;
    void recorded(const std::string& domain) override;

    WindowPassSetup setup_;
    HistoryAccess history_;
    std::filesystem::path watchList_;
    watch::HandPass* pass_ = nullptr;
    bool queryRunning_ = false;
    QString place_;  // "3 / 12 · example.com"

    QPushButton* start_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* outcome_ = nullptr;
};

}  // namespace quarnel
