#include "U_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace {

QString Key(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

std::string CSettings::FilePath() {
    // Looked up on every use: the configuration folder is the environment's, not fixed at start.
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/tessel/tessel.ini"))
        .toStdString();
}

std::string CSettings::Text(std::string_view key) const {
    const QSettings file(QString::fromStdString(FilePath()), QSettings::IniFormat);
    return file.value(Key(key)).toString().toStdString();
}

void CSettings::SetText(std::string_view key, const std::string& value) {
    QSettings file(QString::fromStdString(FilePath()), QSettings::IniFormat);
    file.setValue(Key(key), QString::fromStdString(value));
    file.sync();
}

std::string UserDocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents.toStdString();
    return QDir::homePath().toStdString();
}
