// The window's session rules and pace: --profile for one session, pauses between the
// requests of a run waited out in the event loop, and no rest after a blocked answer.

#include "controls/last_domain_file.h"
#include "rules/profile_reader.h"
#include "window/event_loop_waits.h"
#include "window/form1.h"
// moc cannot read sample_pages.h.
#ifndef Q_MOC_RUN
#include "tests/support/recording_waits.h"
#include "tests/support/scripted_transport.h"
#include "tests/window/queried_site.h"
#endif

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include <cstdlib>
#include <fstream>

namespace quarnel {

class WindowPacingTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    LastDomainFile lastDomain_{std::filesystem::path(folder_.path().toStdString()) / "dz.txt"};
    testing::NoOpener opener_;

private slots:
    void theProfileOptionNamesTheSessionsRules() {
        const std::pair<std::vector<std::string>, std::string> cases[] = {
            {{"-platform", "offscreen"}, ""},
            {{"--profile", "current", "-platform", "offscreen"}, "current"},
            {{"--profile=/tmp/mine.toml"}, "/tmp/mine.toml"},
            {{"--profile"}, "--profile needs a profile's name or file"},
            {{"--profile="}, "--profile needs a profile's name or file"},
        };
        for (const auto& [arguments, profile] : cases) {
            const Expected<std::string> named = sessionProfileArgument(arguments);
            QCOMPARE(named ? *named : named.reason(), profile);
        }
    }

    // The classic rules with a pace of exactly one second, for this session only: each run
    // starts at once and pauses before each later request to a host it has asked; a
    // blocked answer stands, with no rest and no second asking.
    void aSessionsRulesPauseEachRunAndAreNotRemembered() {
        const std::string paced = folder_.filePath("paced.toml").toStdString();
        std::ofstream(paced) << rules::loadProfile("classic", {})->toml << "\n[pace]\nbetween = [1, 1]\nafter_block = 300\n";
        testing::ScriptedTransport transport(testing::kPages);
        transport.serve(testing::kFetches[1], "<html><script src=\"https://wappass.baidu.com/v.js\"></script></html>");
        testing::RecordingWaits waits;
        Form1 form(transport, lastDomain_, opener_, {}, {.profile = paced, .waits = &waits});
        form.findChild<QLineEdit*>("Text3")->setText(QString::fromStdString(testing::kDomain));
        form.findChild<QPushButton*>("Command1")->click();
        form.findChild<QPushButton*>("Command1")->click();

        QCOMPARE(transport.requests.size(), 2 * testing::kFetches.size());
        QCOMPARE(waits.waits.size(), 10u);
        for (std::size_t i = 0; i < waits.waits.size(); ++i) {
            const std::size_t pausedFor[] = {1, 2, 3, 4, 6};
            QVERIFY(waits.waits[i] == (Wait{Wait::For::Pace, std::chrono::seconds(1), testing::kFetches[pausedFor[i % 5]]}));
        }
        QCOMPARE(form.findChild<QLabel*>("Label5")->text(), QString("查询中."));
        QVERIFY(!QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel")).contains("profile"));
    }

    void rulesThatCannotBeReadAreToldAndTheClassicOnesUsed() {
        QString told;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told = box->text();
                box->close();
            }
        });
        testing::ScriptedTransport transport;
        Form1 form(transport, lastDomain_, opener_, {}, {.profile = "nosuch", .waits = nullptr});
        QVERIFY2(told.startsWith("规则无法读取，改用经典规则：\nno profile named \"nosuch\""), qPrintable(told));
    }

    // While it waits, the window's timers go on (and with them its painting).
    void theEventLoopGoesOnDuringAWait() {
        bool ticked = false;
        QTimer::singleShot(0, [&] { ticked = true; });
        QElapsedTimer clock;
        clock.start();
        EventLoopWaits().wait({Wait::For::Pace, std::chrono::milliseconds(50), "http://a.example/"});
        QVERIFY(ticked);
        QVERIFY(clock.elapsed() >= 40);
    }
};

}  // namespace quarnel

// The settings in a folder of the test's own, set before Qt reads where they are.
int main(int argc, char** argv) {
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    quarnel::WindowPacingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_pacing_test.moc"
