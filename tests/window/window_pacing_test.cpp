// The window's session rules and pace: --profile for one session, pauses between the
// requests of a run waited out in the event loop, and no rest after a blocked answer.

#include "controls/last_domain_file.h"
#include "rules/profile_reader.h"
#include "window/event_loop_waits.h"
#include "window/form1.h"
#include "window/window_rules.h"
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
namespace {

using namespace testing;

// Every modal box while it lives, noted by its text and closed.
class BoxCloser final {
public:
    BoxCloser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        timer_.start(10);
    }
    QStringList texts;

private:
    QTimer timer_;
};

}  // namespace

class WindowPacingTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    LastDomainFile lastDomain_{std::filesystem::path(folder_.path().toStdString()) / "dz.txt"};
    NoOpener opener_;

    // The classic rules, under their own name, with a pause of exactly one second.
    std::string pacedClassic() {
        const std::string path = folder_.filePath("paced.toml").toStdString();
        std::ofstream(path) << rules::loadProfile("classic", {}).value().toml << "\n[pace]\nbetween = [1, 1]\nafter_block = 300\n";
        return path;
    }

private slots:
    void theProfileOptionNamesTheSessionsRules() {
        const struct {
            std::vector<std::string> arguments;
            std::string profile;  // or the failure
        } cases[] = {
            {{}, ""},
            {{"-platform", "offscreen"}, ""},
            {{"--profile", "current"}, "current"},
            {{"--profile=/tmp/mine.toml", "-platform", "offscreen"}, "/tmp/mine.toml"},
            {{"--profile", "classic", "--profile", "current"}, "current"},
            {{"--profile"}, "--profile needs a profile's name or file"},
            {{"--profile="}, "--profile needs a profile's name or file"},
        };
        for (const auto& c : cases) {
            const Expected<std::string> profile = sessionProfileArgument(c.arguments);
            QCOMPARE(profile ? *profile : profile.reason(), c.profile);
        }
    }

    // The session's rules are used and not remembered; rules that cannot be read are told,
    // and the classic ones used instead.
    void aSessionProfileIsUsedButNotRemembered() {
        QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel")).setValue("profile", "classic");
        ScriptedTransport transport;
        BoxCloser boxes;
        RecordingWaits waits;
        {
            Form1 form(transport, lastDomain_, opener_, {}, {.profile = "current", .waits = &waits});
            form.findChild<QLineEdit*>("Text3")->setText("example.com");
            form.findChild<QPushButton*>("Command1")->click();
            QVERIFY(!transport.requests.empty());
            QVERIFY2(transport.requests.front().starts_with("https://www.baidu.com/s?wd=site%3Aexample.com&gpc="),
                     transport.requests.front().c_str());
        }
        QCOMPARE(QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel")).value("profile").toString(), "classic");

        transport.requests.clear();
        boxes.texts.clear();  // the failed fetches'
        Form1 unreadable(transport, lastDomain_, opener_, {}, {.profile = "nosuch", .waits = nullptr});
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.front().startsWith("规则无法读取，改用经典规则：\nno profile named \"nosuch\""),
                 qPrintable(boxes.texts.front()));
        unreadable.findChild<QLineEdit*>("Text3")->setText("example.com");
        unreadable.findChild<QPushButton*>("Command1")->click();
        QCOMPARE(QString::fromStdString(transport.requests.front()), QString::fromStdString(kFetches.front()));
    }

    // Each run starts at once and pauses before each later request to a host it has asked;
    // a blocked answer stands, with no rest and no second asking.
    void aRunPausesBetweenRequestsToOneHostAndDoesNotRestAfterABlock() {
        ScriptedTransport transport;
        for (const auto& [url, page] : kPages) {
            transport.serve(url, page);
        }
        transport.serve(kFetches[1], "<html><script src=\"https://wappass.baidu.com/v.js\"></script></html>");
        RecordingWaits waits;
        Form1 form(transport, lastDomain_, opener_, {}, {.profile = pacedClassic(), .waits = &waits});
        form.findChild<QLineEdit*>("Text3")->setText(QString::fromStdString(kDomain));
        for (int run = 0; run < 2; ++run) {
            form.findChild<QPushButton*>("Command1")->click();
        }

        QCOMPARE(transport.requests.size(), 2 * kFetches.size());
        QCOMPARE(waits.waits.size(), 10u);
        for (std::size_t i = 0; i < waits.waits.size(); ++i) {
            const Wait& wait = waits.waits[i];
            QVERIFY(wait.why == Wait::For::Pace);
            QCOMPARE(wait.length, std::chrono::milliseconds(1000));
            const std::vector<std::string> pausedFor = {kFetches[1], kFetches[2], kFetches[3], kFetches[4], kFetches[6]};
            QCOMPARE(QString::fromStdString(wait.url), QString::fromStdString(pausedFor[i % pausedFor.size()]));
        }
        QCOMPARE(form.findChild<QLabel*>("Label5")->text(), QString("查询中."));
        QCOMPARE(form.findChild<QLabel*>("Label13")->text(), QString("10,000"));
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

// The settings and the user's profiles in a folder of the test's own, set before Qt reads
// where they are.
int main(int argc, char** argv) {
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    quarnel::WindowPacingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_pacing_test.moc"
