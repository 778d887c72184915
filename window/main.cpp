#include "base/memory_release.h"
#include "base/user_folders.h"
#include "base/version.h"
#include "controls/last_domain_file.h"
#include "history/history_path.h"
#include "history/sqlite_history.h"
#include "panels/desktop_url_opener.h"
#include "window/form1.h"
#include "window/late_browser_transport.h"
#include "window/late_curl_transport.h"

#include <QApplication>
#include <QScreen>

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

namespace {

// The user's history database, opened when first used; with no folder for it the window
// starts all the same and its history says why.
quarnel::HistoryAccess openHistory(std::unique_ptr<quarnel::history::SqliteHistory>& store) {
    const std::filesystem::path path =
        quarnel::history::historyPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    quarnel::HistoryAccess access;
    if (path.empty()) {
        access.unavailable = "没有可存放查询历史的文件夹（HOME 与 XDG_DATA_HOME 均未设置）";
        std::cerr << "history: " << access.unavailable << '\n';
        return access;
    }
    store = std::make_unique<quarnel::history::SqliteHistory>(path);
    access.recorder = store.get();
    access.reader = store.get();
    return access;
}

}  // namespace

int main(int argc, char** argv) {
    quarnel::returnLargeBlocksToTheSystem();
    // Answered before Qt starts, so it needs no display and starts no web engine.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "quarnel " << quarnel::kVersion << '\n';
        return 0;
    }
    const quarnel::Expected<std::string> profile =
        quarnel::sessionProfileArgument(std::vector<std::string>(argv + 1, argv + argc));
    if (!profile) {
        std::cerr << "quarnel: " << profile.reason() << '\n';
        return 2;
    }
    // The system's font configuration is read the first time text is laid out: here it
    // is read meanwhile, while the application connects to the display.
    std::thread fontConfiguration(FcInit);
    QApplication application(argc, argv);
    // The Wayland app id: ties the window to its desktop entry and icon. (On X11 the window
    // class is the program's name, "quarnel", which the entry's StartupWMClass names.)
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quarnel.Quarnel"));

    const std::string cookieFile = quarnel::cookieFilePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")).string();
    // Pages a profile loads in a browser go to the window's own engine, loaded at the first of them.
    quarnel::LateBrowserTransport browser(quarnel::LateBrowserTransport::path(), cookieFile);
    quarnel::LateCurlTransport transport(quarnel::LateCurlTransport::path(), cookieFile, &browser);
    const quarnel::LastDomainFile lastDomain(
        quarnel::lastDomainPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")));
    quarnel::DesktopUrlOpener urlOpener;

    std::unique_ptr<quarnel::history::SqliteHistory> history;
    fontConfiguration.join();
    quarnel::Form1 form1(transport, lastDomain, urlOpener, openHistory(history),
                         {.profile = *profile, .waits = nullptr, .browser = &browser});
    form1.load();
    if (const QScreen* screen = form1.screen(); screen != nullptr) {
        form1.move(screen->availableGeometry().center() - form1.rect().center());
    }
    form1.show();
    return QApplication::exec();
}
