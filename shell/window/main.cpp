#include "fetch/curl_transport.h"
#include "panels/desktop_url_opener.h"
#include "shell/last_domain_file.h"
#include "shell/window/form1.h"

#include <QApplication>
#include <QScreen>

#include <cstdlib>

int main(int argc, char** argv) {
    // The web panels are loaded after the window shows; Qt WebEngine needs this set before.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

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
