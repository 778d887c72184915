// The overview of every site: its rows against `quarnel-cli status` over the same
// history, sorting, the check box editing the watch list, the size and sort order kept,
// 立即检查 and its cancel, and the way there and on from the main window.

#include "window/overview/overview_window.h"
#include "cli/command_line.h"
#include "controls/last_domain_file.h"
#include "history/sqlite_history.h"
#include "watch/run_lock.h"
#include "window/form1.h"
#include "window/overview/site_table_model.h"
#include "window/overview/window_site_query.h"
// moc would misread the raw strings in sample_pages.h.
#ifndef Q_MOC_RUN
#include "tests/support/classic_profile.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/recording_waits.h"
#include "tests/support/scripted_transport.h"
#include "tests/support/site_runs.h"
#include "tests/window/queried_site.h"
#endif

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <fstream>
#include <regex>
#include <sstream>

namespace quarnel {
namespace {

using namespace std::chrono_literals;

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A history and a watch list in a folder of their own, and the overview of them.
struct Sites {
    QTemporaryDir folder;
    std::filesystem::path historyFile = std::filesystem::path(folder.path().toStdString()) / "history.sqlite3";
    std::filesystem::path listFile = std::filesystem::path(folder.path().toStdString()) / "watch.txt";
    history::SqliteHistory store{historyFile};
    testing::FixedClock clock;
    testing::RecordingWaits waits;
    testing::CountingPauses pauses;

    void record(const std::string& domain, int daysAgo, std::vector<std::optional<std::string>> values,
                int fetchFailures = 0, int blocked = 0, const std::string& reason = "") {
        QVERIFY(store.record(testing::siteRun(clock.at, domain, daysAgo, std::move(values), fetchFailures, blocked,
                                              reason)));
    }

    // The overview, with 立即检查 asking `transport` when one is given.
    std::unique_ptr<OverviewWindow> open(HttpTransport* transport = nullptr) {
        std::optional<WindowPassSetup> pass;
        if (transport != nullptr) {
            pass.emplace(WindowPassSetup{*transport, waits, pauses, clock, [] { return std::string(); }});
        }
        auto window = std::make_unique<OverviewWindow>(HistoryAccess{&store, &store, {}}, listFile, pass, nullptr);
        window->reload();
        return window;
    }

    // `quarnel-cli status` over the same history and list, each line cut into its cells.
    std::vector<std::vector<std::string>> statusTable() {
        std::ostringstream out, err;
        std::istringstream in;
        cli::Invocation invocation{clock, out, err, in, waits, pauses, false, false, historyFile, {}};
        if (cli::runCommandLine({"status", "--watch-file", listFile.string()}, invocation) != 0) {
            qWarning() << err.str().c_str();
        }
        static const std::regex kGap(" {2,}");
        std::vector<std::vector<std::string>> rows;
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);) {
            rows.emplace_back(std::sregex_token_iterator(line.begin(), line.end(), kGap, -1),
                              std::sregex_token_iterator());
        }
        return rows;
    }
};

// Lets the user pass the verification, and notes each page it was offered.
struct PassedVerification final : BlockedAnswers {
    bool askAgain(const std::string& /*page*/, const std::string& url) override {
        offered.push_back(url);
        return true;
    }
    std::vector<std::string> offered;
};

struct NoNotifier final : watch::Notifier {
    void notify(const std::string&, const std::string&) noexcept override {}
};

struct NoProgress final : watch::PassProgress {
    void querying(const watch::BatchPlace&) override {}
    void waiting(Wait::For, std::chrono::seconds) override {}
    void recorded(const std::string&) override {}
};

QStringList domainsShown(const QAbstractItemModel& model) {
    QStringList domains;
    for (int row = 0; row < model.rowCount(); ++row) {
        domains << model.index(row, SiteTableModel::Domain).data().toString();
    }
    return domains;
}

}  // namespace

class OverviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // the window's size is remembered out of the user's way
        qputenv("TZ", "UTC");
        tzset();
    }

    void init() { QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel")).clear(); }

    // The way the figures were checked to be the same in both front ends.
    void rowsShowWhatQuarnelCliStatusPrints() {
        Sites sites;
        sites.record("example.com", 4, {"100", "1,000", "约2,000", "10,000", "3"});
        sites.record("example.com", 3, {"50"}, 2, 0, "fetch failed");
        sites.record("example.com", 2, {"1", "1", "1", "1", "1"}, 0, 1);
        sites.record("example.com", 1, {"1,234", "1,000", "1,990", "", "4"}, 0, 0, "no count on the page");
        sites.record("blocked.cn", 3, {"5", "5", "5", "5", "2"});
        sites.record("blocked.cn", 1, {"", "", "", "", "2"}, 0, 2, "the page is blocked (百度安全验证)");
        sites.record("down.cn", 1, {}, 7, 0, "fetch failed");
        sites.record("skipped.cn", 2, {"5", "5", "5", "5", "2"});
        QVERIFY(sites.store.record(watch::notQueriedRun({.domain = "skipped.cn"}, sites.clock.at - 24h, "current",
                                                        RunOrigin::Cli)));
        write(sites.listFile, "example.com\nnever.cn\n");

        const auto window = sites.open();
        const SiteTableModel& model = window->sites();
        const auto printed = sites.statusTable();

        QCOMPARE(static_cast<std::size_t>(model.rowCount()), printed.size() - 1);
        for (int row = 0; row < model.rowCount(); ++row) {
            const std::vector<std::string>& cells = printed[static_cast<std::size_t>(row) + 1];
            const bool watched = model.index(row, SiteTableModel::Watched).data(Qt::CheckStateRole) == Qt::Checked;
            QCOMPARE(cells.at(0), std::string(watched ? "✓" : ""));
            QCOMPARE(model.index(row, SiteTableModel::Domain).data().toString().toStdString(), cells.at(1));
            if (model.domainAt(row) == "never.cn") {
                continue;  // never queried: 未查询 in the window, "never" on the command line
            }
            for (int column = SiteTableModel::Latest; column < SiteTableModel::kColumns; ++column) {
                const auto at = static_cast<std::size_t>(column - SiteTableModel::Latest + 2);
                QCOMPARE(model.index(row, column).data().toString().toStdString(), at < cells.size() ? cells[at] : "");
            }
        }
        // The line beside a count: the last runs' numbers, a gap where a run had none.
        QCOMPARE(model.index(0, SiteTableModel::WeekCount).data(SiteTableModel::kRecentRole).toList(),
                 (QVariantList{1000, QVariant(), 1, 1000}));
    }

    void sortingByACountOrdersByItsNumberNotItsText() {
        Sites sites;
        sites.record("big.cn", 2, {"1,234"});
        sites.record("small.cn", 1, {"987"});
        sites.record("none.cn", 3, {""});
        const auto window = sites.open();
        auto* table = window->findChild<QTableView*>("sites");

        table->sortByColumn(SiteTableModel::DayCount, Qt::DescendingOrder);
        QCOMPARE(domainsShown(*table->model()), (QStringList{"big.cn", "small.cn", "none.cn"}));
        table->sortByColumn(SiteTableModel::Latest, Qt::AscendingOrder);
        QCOMPARE(domainsShown(*table->model()), (QStringList{"none.cn", "big.cn", "small.cn"}));
        table->sortByColumn(SiteTableModel::Domain, Qt::AscendingOrder);
        QCOMPARE(domainsShown(*table->model()), (QStringList{"big.cn", "none.cn", "small.cn"}));
    }

    void theCheckBoxEditsOnlyItsOwnLineOfTheList() {
        Sites sites;
        for (const char* domain : {"a.cn", "b.cn", "c.cn"}) {
            sites.record(domain, 1, {"1"});
        }
        const std::string list = "\xEF\xBB\xBF# 我的网站\r\nb.cn\r\n\r\n# 旧的 old.cn\r\na.cn\r\n";
        write(sites.listFile, list);
        const auto window = sites.open();
        SiteTableModel& model = window->sites();
        QCOMPARE(domainsShown(model), (QStringList{"b.cn", "a.cn", "c.cn"}));

        QVERIFY(model.setData(model.index(2, SiteTableModel::Watched), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(bytesOf(sites.listFile), list + "c.cn\r\n");
        QCOMPARE(model.index(2, SiteTableModel::Watched).data(Qt::CheckStateRole), QVariant(Qt::Checked));

        QVERIFY(model.setData(model.index(0, SiteTableModel::Watched), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(bytesOf(sites.listFile), "\xEF\xBB\xBF# 我的网站\r\n\r\n# 旧的 old.cn\r\na.cn\r\nc.cn\r\n");
        QCOMPARE(model.index(0, SiteTableModel::Watched).data(Qt::CheckStateRole), QVariant(Qt::Unchecked));
    }

    void aListThatCannotBeEditedIsToldAndTheBoxStaysAsItWas() {
        Sites sites;
        sites.record("a.cn", 1, {"1"});
        std::filesystem::create_directory(sites.listFile);  // a folder where the list should be
        const auto window = sites.open();
        SiteTableModel& model = window->sites();

        QVERIFY(!model.setData(model.index(0, SiteTableModel::Watched), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(model.index(0, SiteTableModel::Watched).data(Qt::CheckStateRole), QVariant(Qt::Unchecked));
        QVERIFY(window->findChild<QLabel*>("notice")->text().startsWith("监视列表未能修改："));
        QVERIFY(std::filesystem::is_directory(sites.listFile));
    }

    void itsSizeAndSortOrderAreKept() {
        Sites sites;
        sites.record("a.cn", 1, {"1"});
        {
            const auto window = sites.open();
            window->show();
            window->resize(700, 420);
            window->findChild<QTableView*>("sites")->sortByColumn(SiteTableModel::MonthCount, Qt::DescendingOrder);
            window->hide();
        }
        const auto window = sites.open();
        QCOMPARE(window->size(), QSize(700, 420));
        const QHeaderView* header = window->findChild<QTableView*>("sites")->horizontalHeader();
        QCOMPARE(header->sortIndicatorSection(), int(SiteTableModel::MonthCount));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void checkNowRecordsEachWatchedSiteAndItsRowShowsTheRunAtOnce() {
        Sites sites;
        sites.record(testing::kDomain, 2, {"5"});
        write(sites.listFile, testing::kDomain + "\n");
        testing::ScriptedTransport transport(testing::kPages);
        const auto window = sites.open(&transport);
        auto* progress = window->findChild<QProgressBar*>("checkProgress");
        QStringList shownWhenRecorded;
        connect(window->checkNow(), &CheckNowBar::runRecorded, this, [&] { shownWhenRecorded << progress->text(); });

        QTest::mouseClick(window->findChild<QPushButton*>("checkNow"), Qt::LeftButton);

        QCOMPARE(shownWhenRecorded, QStringList{"1 / 1 · example.com"});
        QCOMPARE(window->sites().index(0, SiteTableModel::DayCount).data().toString(), QString("12 ▲7"));
        QCOMPARE(window->findChild<QLabel*>("checkOutcome")->text(), QString("检查完毕：1 个网址"));
        const std::vector<RunRecord> runs = sites.store.runs({}).value();
        QCOMPARE(runs.size(), 2u);
        QCOMPARE(runs[1].origin, RunOrigin::Window);
        QCOMPARE(runs[1].profile, std::string("classic"));
        QCOMPARE(transport.requests, testing::kFetches);
    }

    void cancelLeavesTheSiteBeingQueriedUnrecordedAndAsksForNoOther() {
        Sites sites;
        write(sites.listFile, testing::kDomain + "\nsecond.cn\nthird.cn\n");
        testing::ScriptedTransport transport(testing::kPages);
        const auto window = sites.open(&transport);
        // The user cancels while second.cn's first request is under way.
        transport.onRequest = [&](const std::string& url) {
            if (url.find("second.cn") != std::string::npos) {
                QTest::mouseClick(window->findChild<QPushButton*>("cancelCheck"), Qt::LeftButton);
            }
        };

        QTest::mouseClick(window->findChild<QPushButton*>("checkNow"), Qt::LeftButton);

        QCOMPARE(testing::recordedDomains(sites.store), std::vector<std::string>{testing::kDomain});
        QCOMPARE(transport.requests.size(), testing::kFetches.size() + 1);  // the request under way, and no other
        QVERIFY(transport.requests.back().find("second.cn") != std::string::npos);
        QCOMPARE(window->findChild<QLabel*>("checkOutcome")->text(), QString("检查已取消，已查询的结果已记入历史"));
    }

    // Under rules that pace and rest: a blocked answer goes to the 安全验证 window first,
    // and the pass goes on after it; without one, the pass rests, asks once more, and
    // when the answer is blocked again records the domains after it as not queried.
    void aBlockedAnswerIsOfferedForVerificationElseTheRestStopsThePass() {
        const std::string blockedPage = "<html><body><a href=\"https://wappass.baidu.com/\">百度安全验证</a></body></html>";
        for (const bool verifying : {true, false}) {
            Sites sites;
            testing::ScriptedTransport transport(testing::kPages);
            transport.script(testing::kFetches[0], {blockedPage, verifying ? testing::countPage("12") : blockedPage});
            rules::Profile paced = testing::classic();
            paced.pace = {.shortest = 2s, .longest = 5s, .afterBlock = 300s};
            PassedVerification verification;
            NoNotifier notifier;
            NoProgress progress;
            watch::HandPass pass(sites.store, sites.store, notifier, sites.waits, progress);
            WindowSiteQuery site(transport, paced, "", sites.clock, pass.waits(), sites.pauses,
                                 verifying ? &verification : nullptr, [] { return false; });
            std::ostringstream out, err;

            QCOMPARE(pass.run(site, sites.listFile, {testing::kDomain, "second.cn"}, out, err),
                     watch::HandPass::Ended::Done);

            std::chrono::milliseconds rested{0};
            for (const Wait& wait : sites.waits.waits) {
                rested += wait.why == Wait::For::AfterBlock ? wait.length : 0ms;
            }
            const std::vector<RunRecord> runs = sites.store.runs({}).value();
            QCOMPARE(runs.size(), 2u);
            QCOMPARE(verification.offered, verifying ? std::vector<std::string>{testing::kFetches[0]}
                                                     : std::vector<std::string>{});
            QCOMPARE(rested, verifying ? 0ms : 300000ms);
            QCOMPARE(runs[0].results[Result::DayCount], verifying ? std::optional<std::string>("12") : std::nullopt);
            QCOMPARE(runs[1].notQueried, verifying ? std::string() : std::string(kNotQueriedBlocked));
        }
    }

    void whileAnotherPassHoldsTheListTheButtonSaysSoAndNothingIsAsked() {
        Sites sites;
        write(sites.listFile, testing::kDomain + "\n");
        testing::ScriptedTransport transport;
        std::optional<watch::RunLock> timersPass(std::in_place, watch::runLockPath(sites.listFile),
                                                 watch::RunLock::Wait::No);
        const auto window = sites.open(&transport);
        auto* button = window->findChild<QPushButton*>("checkNow");
        QCOMPARE(button->text(), QString("另一检查正在进行"));

        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text(), QString("另一检查正在进行"));
        QVERIFY(transport.requests.empty());

        timersPass.reset();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text(), QString("立即检查"));
        QCOMPARE(transport.requests.size(), testing::kFetches.size());
    }

    void opensFromTheMenuAndADoubleClickShowsTheSitesHistory() {
        Sites sites;
        qputenv("XDG_CONFIG_HOME", sites.folder.path().toUtf8());  // the list is quarnel/watch.txt there
        sites.record("example.net", 1, {"1"});
        sites.record(testing::kDomain, 1, {"2"});
        LastDomainFile lastDomain(std::filesystem::path(sites.folder.path().toStdString()) / "dz.txt");
        testing::ScriptedTransport transport;
        testing::NoOpener opener;
        Form1 form(transport, lastDomain, opener, {&sites.store, &sites.store, {}});

        const QList<QAction*> actions = form.actions();
        QCOMPARE(actions.at(0)->text(), QStringLiteral("站点一览…"));
        QCOMPARE(actions.at(0)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        actions.at(0)->trigger();
        auto* overview = form.findChild<OverviewWindow*>("OverviewWindow");
        QVERIFY(overview != nullptr && overview->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(overview));

        auto* table = overview->findChild<QTableView*>("sites");
        const int row = static_cast<int>(domainsShown(*table->model()).indexOf("example.net"));
        const QRect cell = table->visualRect(table->model()->index(row, SiteTableModel::Domain));
        // A view takes a double click on the cell its button was pressed on.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());

        QCOMPARE(form.findChild<QLineEdit*>("Text3")->text(), QString("example.net"));
        QWidget* history = form.findChild<QWidget*>("HistoryWindow");
        QVERIFY(history != nullptr && history->isVisible());
        QCOMPARE(history->findChild<QComboBox*>("domains")->currentText(), QString("example.net"));
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::OverviewWindowTest)
#include "overview_window_test.moc"
