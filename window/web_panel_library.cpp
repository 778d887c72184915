#include "window/web_panel_library.h"

#include "window/late_library_path.h"

#include <QByteArray>
#include <QLatin1String>
#include <QLoggingCategory>
#include <QWidget>

#include <algorithm>
#include <array>

namespace quarnel {
namespace {

// Qt WebEngine, loaded once the window shows and drawing its pages on the CPU, warns that
// it would rather have been loaded before the application was made, with OpenGL ready (the
// very wait the window's quick start avoids), and that it found no OpenGL to draw with.
// Both are meant, so the user is not told.
constexpr std::array kMeantWarnings = {QLatin1String("Qt WebEngine seems to be initialized from a plugin"),
                                       QLatin1String("No suitable graphics backend found")};
QtMessageHandler passedOn = nullptr;

void dropMeantWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool meant =
        type == QtWarningMsg && std::any_of(kMeantWarnings.begin(), kMeantWarnings.end(),
                                            [&](QLatin1String warning) { return message.startsWith(warning); });
    if (!meant) {
        passedOn(type, context, message);
    }
}

// Its start-up log reads the OpenGL context the engine then lacks and crashes: it stays
// off whatever logging rules the user has set.
QLoggingCategory::CategoryFilter filteredOn = nullptr;

void keepEngineLogOff(QLoggingCategory* category) {
    // Installing a filter runs it at once, before the one it replaces is known.
    if (filteredOn != nullptr) {
        filteredOn(category);
    }
    if (qstrcmp(category->categoryName(), "qt.webenginecontext") == 0) {
        category->setEnabled(QtInfoMsg, false);
    }
}

}  // namespace

void quietenWebEngine() {
    static const bool quietened = [] {
        passedOn = qInstallMessageHandler(dropMeantWarnings);
        filteredOn = QLoggingCategory::installFilter(keepEngineLogOff);
        return true;
    }();
    (void)quietened;
}

WebPanelLibrary::WebPanelLibrary(const QString& path) : library_(path) {}

QString WebPanelLibrary::path() {
    return lateLibraryPath(QUARNEL_WEB_PANELS_INSTALLED, QUARNEL_WEB_PANELS_BUILT);
}

QWidget* WebPanelLibrary::createPanel(QWidget* parent, QObject* profile) {
    quietenWebEngine();
    using CreatePanel = QWidget* (*)(QWidget*, QObject*);
    const auto create = reinterpret_cast<CreatePanel>(library_.resolve("quarnelCreateWebPanel"));
    return create != nullptr ? create(parent, profile) : nullptr;
}

bool isWebPanel(const QWidget* widget) {
    return widget != nullptr && widget->inherits("quarnel::WebPanel");
}

void navigatePanel(QWidget* panel, const std::string& url) {
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "navigate", Q_ARG(QByteArray, QByteArray::fromStdString(url)));
    }
}

void fillPanelUrlField(QWidget* panel, const QString& text) {
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "fillUrlField", Q_ARG(QString, text));
    }
}

void clickPanelSubmit(QWidget* panel) {
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "clickSubmit");
    }
}

QWidget* panelKeyboardTarget(QWidget* panel) {
    QWidget* target = panel;
    if (panel != nullptr) {
        QMetaObject::invokeMethod(panel, "keyboardTarget", Q_RETURN_ARG(QWidget*, target));
    }
    return target;
}

}  // namespace quarnel
