#include "window/late_library_path.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace quarnel {

QString lateLibraryPath(const char* installed, const char* built) {
    const QString installedPath = QCoreApplication::applicationDirPath() + u'/' + QString::fromUtf8(installed);
    return QFileInfo::exists(installedPath) ? installedPath : QString::fromUtf8(built);
}

}  // namespace quarnel
