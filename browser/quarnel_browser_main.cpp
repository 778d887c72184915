// quarnel-browser: the browser engine for quarnel-cli and the watch pass, which link no Qt.
// Started by them, one process per batch, it reads requests on standard input and
// writes the replies on standard output (see fetch/browser_protocol.h), and ends when its
// input closes. It shows nothing: Qt runs offscreen.
#include "browser/browser_session.h"
#include "browser/helper_pipes.h"

#include <QGuiApplication>
#include <QLoggingCategory>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <iostream>

namespace {

constexpr const char* kUsage = "usage: quarnel-browser [--cookie-file PATH]   (started by quarnel-cli)\n";

// The pipes move off standard input and output, where nothing the engine starts can
// reach them (its own processes inherit standard output): what Chromium prints goes to
// standard error instead, and its processes read nothing.
struct Pipes {
    int input = -1;
    int output = -1;
};

Pipes takePipes() {
    Pipes pipes{::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1),
                ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1)};
    if (const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC); nothing >= 0) {
        ::dup2(nothing, STDIN_FILENO);
        ::close(nothing);
    }
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    return pipes;
}

// Qt WebEngine tells on standard error how it started and that it found no OpenGL, which
// it does not need here; that would land on quarnel-cli's standard error on every run.
void quietenEngineNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << "quarnel-browser: " << message.toStdString() << '\n';
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path cookieFile;
    if (argc == 3 && std::strcmp(argv[1], "--cookie-file") == 0) {
        cookieFile = argv[2];
    } else if (argc != 1) {
        std::cerr << kUsage;
        return 2;
    }
    const Pipes pipes = takePipes();
    if (pipes.input < 0 || pipes.output < 0) {
        std::cerr << "quarnel-browser: no pipes to talk over\n";
        return 2;
    }
    qInstallMessageHandler(quietenEngineNotes);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Qt hands the program's arguments to the engine: it gets none of them. (Chromium's own
    // log stays on: it is quiet but for what went wrong, such as a sandbox that cannot start.)
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    quarnel::BrowserSession session(cookieFile);
    quarnel::HelperPipes helper(pipes.input, pipes.output, session);
    return QGuiApplication::exec();
}
