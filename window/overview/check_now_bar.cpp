#include "window/overview/check_now_bar.h"

#include "rules/profile_reader.h"
#include "watch/desktop_notifier.h"
#include "watch/run_lock.h"
#include "watch/watch_file.h"
#include "window/history/history_window.h"
#include "window/overview/window_site_query.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstdlib>
#include <iostream>
#include <optional>

extern char** environ;

namespace quarnel {
namespace {

const QString kStart = QStringLiteral("立即检查");
const QString kOtherPass = QStringLiteral("另一检查正在进行");

}  // namespace

CheckNowBar::CheckNowBar(WindowPassSetup setup, HistoryAccess history, std::filesystem::path watchList, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)), history_(std::move(history)), watchList_(std::move(watchList)) {
    start_ = new QPushButton(kStart, this);
    start_->setObjectName(QStringLiteral("checkNow"));
    start_->setToolTip(QStringLiteral("用每日监视所用的规则（%1）查询监视列表中的每个网址，记入历史")
                           .arg(QString::fromLatin1(watch::kWatchProfile)));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("checkProgress"));
    progress_->setTextVisible(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setObjectName(QStringLiteral("cancelCheck"));
    outcome_ = new QLabel(this);
    outcome_->setObjectName(QStringLiteral("checkOutcome"));
    outcome_->setTextFormat(Qt::PlainText);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(start_);
    layout->addWidget(progress_, 1);
    layout->addWidget(cancel_);
    layout->addWidget(outcome_, 1);

    connect(start_, &QPushButton::clicked, this, &CheckNowBar::start);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (pass_ != nullptr) {
            pass_->cancel();
            cancel_->setEnabled(false);
        }
    });
    showIdle(false);
}

void CheckNowBar::setQueryRunning(bool running) {
    queryRunning_ = running;
    start_->setEnabled(!running && !this->running());
}

void CheckNowBar::lookForOtherPass() {
    if (!running()) {
        showIdle(watch::RunLock(watch::runLockPath(watchList_), watch::RunLock::Wait::No).state() ==
                 watch::RunLock::State::Busy);
    }
}

void CheckNowBar::start() {
    if (running() || queryRunning_) {
        return;
    }
    const auto list = watch::readWatchList(watchList_);
    if (!list) {
        outcome_->setText(QStringLiteral("监视列表无法读取：") + QString::fromStdString(list.reason()));
    } else if (list->domains.empty()) {
        outcome_->setText(QStringLiteral("监视列表中还没有网址：勾选表格中的网址即可加入。"));
    } else if (history_.reader == nullptr || history_.recorder == nullptr) {
        outcome_->setText(historyUnavailable(history_.unavailable));
    } else {
        runPass(list->domains);
    }
}

void CheckNowBar::runPass(const std::vector<std::string>& domains) {
    const Expected<rules::LoadedProfile> profile = rules::loadProfile(
        watch::kWatchProfile, rules::userProfileFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    if (!profile) {
        outcome_->setText(QStringLiteral("规则无法读取：") + QString::fromStdString(profile.reason()));
        return;
    }
    watch::DesktopNotifier notifier(environ);
    watch::HandPass hand(*history_.reader, *history_.recorder, notifier, setup_.waits, *this);
    // One window for the whole pass: once the user has closed it, later blocked answers
    // go to the back-off rather than opening it again for every domain.
    std::optional<AskingToVerify> verification;
    if (setup_.verification != nullptr) {
        verification.emplace(profile->profile, *setup_.verification);
    }
    WindowSiteQuery site(setup_.transport, profile->profile, setup_.key(), setup_.clock, hand.waits(), setup_.pauses,
                         verification ? &*verification : nullptr, [&hand] { return hand.cancelled(); });
    pass_ = &hand;
    start_->setEnabled(false);
    cancel_->setEnabled(true);
    cancel_->show();
    progress_->setRange(0, static_cast<int>(domains.size()));
    progress_->setValue(0);
    progress_->show();
    outcome_->clear();
    const watch::HandPass::Ended ended = hand.run(site, watchList_, domains, std::cout, std::cerr);
    pass_ = nullptr;
    showEnd(ended, domains.size(), hand.outcome().notQueried.size());
}

void CheckNowBar::showEnd(watch::HandPass::Ended ended, std::size_t total, std::size_t notQueried) {
    showIdle(ended == watch::HandPass::Ended::Busy);
    switch (ended) {
        case watch::HandPass::Ended::Done:
            outcome_->setText(notQueried == 0 ? QStringLiteral("检查完毕：%1 个网址").arg(total)
                                              : QStringLiteral("检查完毕：%1 个网址，其中 %2 个因被拦截而未查询")
                                                    .arg(total)
                                                    .arg(notQueried));
            break;
        case watch::HandPass::Ended::Cancelled:
            outcome_->setText(QStringLiteral("检查已取消，已查询的结果已记入历史"));
            break;
        case watch::HandPass::Ended::Busy:
            break;
        case watch::HandPass::Ended::Unlockable:
            outcome_->setText(QStringLiteral("无法锁定 %1，检查未开始")
                                  .arg(QString::fromStdString(watch::runLockPath(watchList_).string())));
            break;
    }
}

// The button stays clickable when another pass holds the list: a click looks again.
void CheckNowBar::showIdle(bool otherPass) {
    start_->setText(otherPass ? kOtherPass : kStart);
    start_->setEnabled(!queryRunning_);
    progress_->hide();
    cancel_->hide();
}

void CheckNowBar::querying(const watch::BatchPlace& place) {
    place_ = QStringLiteral("%1 / %2 · %3").arg(place.number).arg(place.total).arg(QString::fromStdString(place.domain));
    progress_->setValue(static_cast<int>(place.number - 1));
    progress_->setFormat(place_);
}

void CheckNowBar::waiting(Wait::For why, std::chrono::seconds left) {
    progress_->setFormat(place_ + (why == Wait::For::Pace ? QStringLiteral(" · 等待 %1 s")
                                                          : QStringLiteral(" · 被拦截，等待 %1 s 后再问一次"))
                                      .arg(left.count()));
}

void CheckNowBar::recorded(const std::string& domain) {
    progress_->setValue(progress_->value() + 1);
    progress_->setFormat(place_);
    emit runRecorded(domain);
}

}  // namespace quarnel
