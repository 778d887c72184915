// The main window's history: runs recorded into a real database as they end, the
// history window opened from the right button showing them, a record that fails
// leaving the window as the run left it, the CSV export and the copied results.

#include "controls/last_domain_file.h"
#include "history/sqlite_history.h"
#include "window/form1.h"
// moc would misread the raw strings in sample_pages.h.
#ifndef Q_MOC_RUN
#include "tests/support/scripted_transport.h"
#include "tests/window/queried_site.h"
#endif

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>

namespace quarnel {
namespace {

using namespace std::chrono_literals;
using namespace testing;

class FailingRecorder final : public history::RunRecorder {
public:
    Expected<Done> record(const RunRecord& /*run*/) override { return Failure{"磁盘已满"}; }
};

struct Window {
    QTemporaryDir folder;
    LastDomainFile lastDomain{std::filesystem::path(folder.path().toStdString()) / "dz.txt"};
    history::SqliteHistory store{std::filesystem::path(folder.path().toStdString()) / "history.sqlite3"};
    ScriptedTransport transport{kPages};
    NoOpener opener;
    Form1 form;

    explicit Window(history::RunRecorder* recorder = nullptr)
        : form(transport, lastDomain, opener, {recorder != nullptr ? recorder : &store, &store, {}}) {
        form.findChild<QLineEdit*>("Text3")->setText(QString::fromStdString(kDomain));
    }
    void query() { QTest::mouseClick(form.findChild<QWidget*>("Command1"), Qt::LeftButton); }
    QWidget* historyWindow() const { return form.findChild<QWidget*>("HistoryWindow"); }
    // One of the commands of the right button, as its menu entry would.
    void run(const QString& command) {
        const QList<QAction*> actions = form.actions();
        const auto action = std::find_if(actions.begin(), actions.end(), [&](auto* a) { return a->text() == command; });
        QVERIFY(action != actions.end());
        (*action)->trigger();
    }
};

}  // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT

    QTimer dialogWatch_;
    QStringList dialogs_;
    QString savePath_;  // what the save dialog is answered with

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // the window's size is remembered out of the user's way
        connect(&dialogWatch_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                dialogs_ << box->text();
                box->button(QMessageBox::Ok)->click();
            } else if (auto* save = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                save->selectFile(savePath_);
                static_cast<QDialog*>(save)->accept();  // as its save button would
            }
        });
        dialogWatch_.start(20);
    }

    void everyRecordedRunIsOnePointInTheHistoryChart() {
        Window window;
        window.transport.script(kLookup, {std::nullopt, kPages[4].second});  // the first lookup fails
        const auto twoDaysAgo = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now() - 48h);
        QVERIFY(window.store.record({.startedAt = twoDaysAgo, .domain = kDomain, .results = RunResults({"约7"})}).ok());
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        window.query();
        window.query();
        QCOMPARE(std::exchange(dialogs_, {}), QStringList{"无法连接服务器"});  // the first lookup of the first run
        QCOMPARE(resultCaptions(window.form), kShownResults);

        const std::vector<RunRecord> runs = window.store.runs({}).value();
        QCOMPARE(runs.size(), 3u);
        QCOMPARE(runs[1].fetchFailures, 1);
        QCOMPARE(runs[2].fetchFailures, 0);
        QCOMPARE(runs[2].results[Result::DayCount], std::optional<std::string>("12"));

        // The right button on a caption opens the menu; its second entry the history.
        QTimer::singleShot(0, this, [] {
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("查询历史…"));
            menu->setActiveAction(menu->actions().at(1));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        auto* label7 = window.form.findChild<QLabel*>("Label7");
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, label7->rect().center(),
                                     label7->mapToGlobal(label7->rect().center()));
        QApplication::sendEvent(label7, &rightClick);

        QWidget* history = window.historyWindow();
        QVERIFY(history != nullptr && history->isVisible());
        QCOMPARE(history->findChild<QComboBox*>("domains")->currentText(), QString::fromStdString(kDomain));
        QChart* chart = history->findChild<QChartView*>("chart")->chart();
        const QList<QAbstractSeries*> series = chart->series();
        const auto day = std::find_if(series.begin(), series.end(), [](auto* s) { return s->name() == "今日收录"; });
        QVERIFY(day != series.end());
        QCOMPARE(qobject_cast<QLineSeries*>(*day)->count(), 3);
        QTableView* table = history->findChild<QTableView*>("runs");
        QCOMPARE(table->model()->rowCount(), 3);
        QCOMPARE(table->model()->index(0, 2).data().toString(), QString("窗口"));  // newest first
        QCOMPARE(table->model()->index(2, 2).data().toString(), QString("命令行"));
    }

    void aRunThatCannotBeRecordedKeepsItsResultsAndTheHistorySaysWhy() {
        FailingRecorder failing;
        Window window(&failing);
        window.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        window.query();
        QCOMPARE(dialogs_, QStringList());
        QCOMPARE(resultCaptions(window.form), kShownResults);

        QTest::keyClick(&window.form, Qt::Key_H, Qt::ControlModifier);
        QWidget* history = window.historyWindow();
        QVERIFY(history != nullptr && history->isVisible());
        QVERIFY(history->findChild<QLabel*>("recordingProblem")->text().contains("磁盘已满"));
        QVERIFY(history->findChild<QLabel*>("notice")->text().startsWith("还没有查询记录"));
    }

    void exportWritesEveryRunAsChineseSpreadsheetsReadIt() {
        qputenv("TZ", "CST-8");  // this machine's clock eight hours ahead of UTC
        ::tzset();
        Window window;
        QVERIFY(window.store
                    .record({.startedAt = std::chrono::sys_days{std::chrono::year(2026) / 12 / 6} + 23h + 14min + 2s,
                             .duration = 1500ms, .domain = "a\"b,c\nd", .fetchFailures = 1,
                             .results = RunResults({"约1,234"})})
                    .ok());
        savePath_ = window.folder.filePath("导出.csv");

        window.run("导出 CSV…");

        QFile file(savePath_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF"
                                            "started,duration_ms,domain,origin,fetch_failures,day,week,month,all,"
                                            "snapshot,homepage,pagerank,hijack,day_number,week_number,month_number,"
                                            "all_number,pagerank_number\r\n"
                                            "2026-12-07T07:14:02+08:00,1500,\"a\"\"b,c\nd\",cli,1,\"约1,234\",,,,,,,,"
                                            "1234,,,,\r\n"));
        QCOMPARE(dialogs_, QStringList());
    }

    void copiedResultsAreTheCommandLinesTextBlock() {
        Window window;
        const std::pair<ResultLabel, const char*> captions[] = {
            {ResultLabel::Label4, "12"},      {ResultLabel::Label5, "345"},        {ResultLabel::Label12, kQuerying},
            {ResultLabel::Label13, "10,000"}, {ResultLabel::Label11, "2026-12-5"}, {ResultLabel::Label9, "首页第一"},
            {ResultLabel::Label1, "3"},       {ResultLabel::Label2, "pr真实"}};
        for (const auto& [label, caption] : captions) {
            window.form.setCaption(label, caption);
        }

        window.run("复制结果");

        QCOMPARE(QApplication::clipboard()->text(),
                 QString("http://example.com\n  今日收录：12\n  一星期收录：345\n  一月收录：查询中.\n  所有日收录：10,000\n"
                         "  百度快照：2026-12-5\n  site:首页：首页第一\n  网站PR：3\n  PR是否劫持：pr真实\n\n"));
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::HistoryWindowTest)
#include "history_window_test.moc"
