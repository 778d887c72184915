#include "fetch/curl_transport.h"
#include "panels/desktop_url_opener.h"
#include "shell/last_domain_file.h"
#include "shell/version.h"
#include "shell/window/form1.h"

#include <QApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    // Answered before Qt starts, so it needs no display and starts no web engine.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "quarnel " << quarnel::kVersion << '\n';
        return 0;
    }
    QApplication application(argc, argv);
    // The Wayland app id: ties the window to its desktop entry and icon. (On X11 the window
    // class is the program's name, "quarnel", which the entry's StartupWMClass names.)
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quarnel.Quarnel"));

    quarnel::CurlTransport transport;
    const quarnel::LastDomainFile lastDomain(
        quarnel::lastDomainPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")));
    quarnel::DesktopUrlOpener urlOpener;

    quarnel::Form1 form1(transport, lastDomain, urlOpener);
    form1.load();
    if (const QScreen* screen = form1.screen(); screen != nullptr) {
        form1.move(screen->availableGeometry().center() - form1.rect().center());
    }
    form1.show();
    return QApplication::exec();
}
