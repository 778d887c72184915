#include "window/history/csv_export.h"

#include "history/csv_writer.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSaveFile>

#include <sstream>

namespace quarnel {
namespace {

const QString kTitle = QStringLiteral("导出 CSV");

QString suggestedPath(const QString& name) {
    QString file = name;
    // Only what no file name may hold, or what would make it a path: a Chinese domain keeps its name.
    file.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x{0}-\\x{1f}]")), QStringLiteral("_"));
    if (file.isEmpty()) {
        file = QStringLiteral("查询历史");
    }
    return QDir::home().filePath(file + QStringLiteral(".csv"));
}

}  // namespace

void exportCsv(QWidget* parent, const std::vector<RunRecord>& runs, const QString& name) {
    const QString path =
        QFileDialog::getSaveFileName(parent, kTitle, suggestedPath(name), QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    std::ostringstream csv;
    history::writeCsv(csv, runs, {.byteOrderMark = true, .times = history::CsvOptions::Times::Local});
    const std::string bytes = csv.str();
    // Written beside the target and moved over it at the end: a failed export leaves
    // the file that was there as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        QMessageBox::warning(parent, kTitle, QStringLiteral("无法写入 %1：%2").arg(path, file.errorString()));
    }
}

}  // namespace quarnel
