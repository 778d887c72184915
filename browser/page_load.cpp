#include "browser/page_load.h"

#include <QPointer>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <algorithm>

namespace quarnel {
namespace {

// A page nobody looks at: no dialogs, no file choosers, nothing on the console, and
// nowhere to go but http and https.
class UnattendedPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        return !isMainFrame || url.scheme() == u"http" || url.scheme() == u"https";
    }
};

// Run out of the page's reach (its own world), so the page cannot stand in for what is
// read. A document past the limit answers with its length instead, and never leaves
// the renderer: UTF-8 takes at least as many bytes as UTF-16 takes units.
QString documentScript(std::size_t maxBytes) {
    return QStringLiteral(
               "(function () { const root = document.documentElement; if (!root) return '';"
               " const html = root.outerHTML; return html.length > %1 ? html.length : html; })()")
        .arg(maxBytes);
}

std::string seconds(std::chrono::milliseconds duration) {
    return std::to_string((duration.count() + 999) / 1000) + " s";
}

std::string tooLarge(std::size_t maxBytes) {
    constexpr std::size_t kMiB = 1024 * 1024;
    return "the page's HTML is larger than " +
           (maxBytes % kMiB == 0 ? std::to_string(maxBytes / kMiB) + " MiB" : std::to_string(maxBytes) + " bytes");
}

}  // namespace

std::unique_ptr<QWebEnginePage> unattendedPage(QWebEngineProfile* profile) {
    return std::make_unique<UnattendedPage>(profile);
}

PageLoad::PageLoad(QWebEnginePage& page, const QWebEngineHttpRequest& request, PageLoadLimits limits, Done done)
    : limits_(limits), done_(std::move(done)), page_(&page) {
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, &PageLoad::readWhenSettled);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this,
            [this] { finish(Failure{"the page did not settle within " + seconds(limits_.total)}); });
    connect(page_, &QWebEnginePage::loadingChanged, this, &PageLoad::onLoadingChanged);
    // A navigation within the document (a new fragment, history.pushState) starts no load.
    connect(page_, &QWebEnginePage::urlChanged, this, &PageLoad::navigated);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this] { finish(Failure{"the browser engine's page process ended"}); });
    deadline_.start(limits_.total);
    quietSince_.start();
    if (!request.url().isValid() || (request.url().scheme() != u"http" && request.url().scheme() != u"https")) {
        QTimer::singleShot(0, this, [this] { finish(Failure{"not an http or https address"}); });
        return;
    }
    page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    page_->load(request);
    // A page no one shows counts as a background tab, whose timers Chromium holds back to
    // once a second: a script's redirect would come late, after the page was read. (Before
    // its first load a page has nothing to show, and ignores this.)
    page_->setVisible(true);
}

PageLoad::~PageLoad() = default;

void PageLoad::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    // A navigation that replaces one still loading may start before the other is told
    // stopped: loads are counted, not flagged.
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        ++loading_;
        begun_ = true;
        navigated();
        return;
    }
    loading_ = std::max(loading_ - 1, 0);
    // The status of an answer is told as an "error" of its own kind, whatever it is.
    const bool answered = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain;
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && (!answered || info.isErrorPage())) {
        finish(Failure{answered ? "status " + std::to_string(info.errorCode()) + " with no page"
                                : info.errorString().toStdString() + " (" + std::to_string(info.errorCode()) + ")"});
        return;
    }
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus || answered) {
        status_ = answered ? info.errorCode() : 200;
    }
    // The quiet time counts from here: the page's load handlers may navigate yet. A load
    // stopped and replaced by none leaves the document as it is.
    quietSince_.restart();
    readWhenSettled();
}

void PageLoad::navigated() {
    quietSince_.restart();
    readWhenSettled();
}

void PageLoad::readWhenSettled() {
    if (!begun_ || loading_ > 0 || finished_) {
        return;
    }
    const auto quiet = std::chrono::milliseconds(quietSince_.elapsed());
    if (quiet < limits_.settle) {
        settle_.start(limits_.settle - quiet);
        return;
    }
    readDocument();
}

void PageLoad::readDocument() {
    const QPointer<PageLoad> self(this);
    page_->runJavaScript(documentScript(limits_.maxHtmlBytes), QWebEngineScript::ApplicationWorld,
                         [self](const QVariant& result) {
                             // Gone, or navigated meanwhile: the next settled document is read instead.
                             if (self.isNull() || self->loading_ > 0 || self->settle_.isActive()) {
                                 return;
                             }
                             if (result.typeId() != QMetaType::QString) {
                                 self->finish(Failure{result.isValid() ? tooLarge(self->limits_.maxHtmlBytes)
                                                                       : "the page's document could not be read"});
                                 return;
                             }
                             HttpReply reply{.status = self->status_,
                                             .contentType = "text/html; charset=utf-8",
                                             .body = result.toString().toStdString()};
                             if (reply.body.size() > self->limits_.maxHtmlBytes) {
                                 self->finish(Failure{tooLarge(self->limits_.maxHtmlBytes)});
                                 return;
                             }
                             self->finish(std::move(reply));
                         });
}

void PageLoad::finish(Expected<HttpReply> reply) {
    if (finished_) {
        return;
    }
    finished_ = true;
    settle_.stop();
    deadline_.stop();
    page_->triggerAction(QWebEnginePage::Stop);
    // Until the next load, the document's scripts stay still: nothing navigates or sets
    // cookies behind the program's back. (Only a hidden page can be frozen.)
    page_->setVisible(false);
    page_->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    page_->history()->clear();  // nothing of a batch's pages is kept for going back
    done_(std::move(reply));
}

}  // namespace quarnel
