// The longest stretch in which the window's event loop did nothing during a query run
// against services that take their time to answer.
#include "controls/last_domain_file.h"
#include "fetch/curl_transport.h"
#include "tools/fake-web/fake_web_server.h"
#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::vector<fakeweb::Route> slowDemoRoutes() {
    auto routes = fakeweb::loadRoutes(QUARNEL_DEMO_ROUTES);
    for (auto& route : routes) {
        route.delay = std::chrono::milliseconds(300);
    }
    return routes;
}

}  // namespace

int main(int argc, char** argv) {
    fakeweb::Server server(slowDemoRoutes());
    server.start();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    ::setenv("http_proxy", server.proxyUrl().c_str(), 1);
    ::setenv("no_proxy", "", 1);
    ::unsetenv("NO_PROXY");
    ::unsetenv("HTTP_PROXY");
    QApplication application(argc, argv);

    const auto folder = std::filesystem::temp_directory_path() / "quarnel-stall-bench";
    const quarnel::LastDomainFile lastDomain(folder / "dz.txt");
    struct NoOpener final : quarnel::UrlOpener {
        void open(const std::string&) override {}
    } opener;
    quarnel::CurlTransport transport;
    quarnel::Form1 form1(transport, lastDomain, opener);
    form1.load();
    form1.show();

    // A heartbeat as often as the loop can run it: the largest gap between beats is the
    // longest time the window could not have answered.
    QElapsedTimer clock;
    qint64 lastBeat = 0;
    qint64 longestGap = 0;
    long beats = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (form1.queryInProgress()) {
            longestGap = std::max(longestGap, now - lastBeat);
            ++beats;
        }
        lastBeat = now;
    });

    QTimer::singleShot(2'000, [&] {
        clock.start();
        heartbeat.start(0);
        form1.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        const double runSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        const auto log = server.requestLog();
        const auto serviceRequests = std::count_if(log.begin(), log.end(), [](const std::string& url) {
            return url.starts_with("http://www.baidu.com/") || url.starts_with("http://pr.quarnel.example/");
        });
        std::printf("query run: %.2f s for %td service requests, each answered after 300 ms\n", runSeconds,
                    serviceRequests);
        std::printf("event loop during the run: %ld heartbeats, longest stall %.1f ms (goal: under 50 ms)\n", beats,
                    static_cast<double>(longestGap) / 1e6);
        QApplication::quit();
    });
    const int status = QApplication::exec();
    std::filesystem::remove_all(folder);
    return status;
}
