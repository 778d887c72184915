#include "window/verification_dialog.h"

#include "window/late_browser_transport.h"

#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace quarnel {
namespace {

const QString kTitle = QStringLiteral("安全验证");
// Well within the second the window has to close in once the page has changed by itself.
constexpr int kRereadMilliseconds = 400;

}  // namespace

VerificationDialog::VerificationDialog(QWidget* view, const std::vector<rules::BlockedRule>& blocked, QWidget* parent)
    : QDialog(parent), view_(view), progress_(blocked) {
    setObjectName(QStringLiteral("VerificationDialog"));
    setWindowTitle(kTitle);
    auto* instruction = new QLabel(QStringLiteral("请完成百度安全验证，完成后查询会继续"), this);
    instruction->setObjectName(QStringLiteral("Instruction"));
    view_->setParent(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addWidget(view_, 1);
    resize(900, 680);

    connect(view_, SIGNAL(loadStarted()), this, SLOT(loadStarted()));
    connect(view_, SIGNAL(loadFinished(bool)), this, SLOT(loadFinished(bool)));
    connect(view_, SIGNAL(documentRead(QString)), this, SLOT(documentRead(QString)));
    rereading_.setInterval(kRereadMilliseconds);
    connect(&rereading_, &QTimer::timeout, this, [this] { QMetaObject::invokeMethod(view_, "readDocument"); });
}

bool VerificationDialog::pass(const std::string& url) {
    // Whatever the view showed before is not this page: it counts from its first load.
    progress_.loadStarted();
    const QString address = QString::fromStdString(url);
    const QString host = QUrl(address).host();
    setWindowTitle(host.isEmpty() ? kTitle : kTitle + QStringLiteral(" — ") + host);
    navigatePanel(view_, url);
    rereading_.start();
    const bool passed = exec() == QDialog::Accepted;
    rereading_.stop();
    return passed;
}

void VerificationDialog::loadStarted() {
    progress_.loadStarted();
}

void VerificationDialog::loadFinished(bool ok) {
    progress_.loadFinished(ok);
    if (ok) {
        QMetaObject::invokeMethod(view_, "readDocument");
    }
}

void VerificationDialog::documentRead(const QString& document) {
    if (isVisible() && progress_.passed(document.toStdString())) {
        accept();
    }
}

BrowserVerificationWindows::BrowserVerificationWindows(LateBrowserTransport* browser, QWidget& parent)
    : browser_(browser), parent_(parent), panels_(WebPanelLibrary::path()) {}

std::unique_ptr<VerificationWindow> BrowserVerificationWindows::open(const std::vector<rules::BlockedRule>& blocked) {
    QObject* profile = browser_ != nullptr ? browser_->profile() : nullptr;
    if (profile == nullptr) {
        return nullptr;
    }
    QWidget* view = panels_.createPanel(nullptr, profile);
    if (view == nullptr) {
        return nullptr;
    }
    return std::make_unique<VerificationDialog>(view, blocked, &parent_);
}

}  // namespace quarnel
