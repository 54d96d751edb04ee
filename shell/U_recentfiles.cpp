#include "U_recentfiles.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>

namespace {

constexpr const char* kKey = "RecentFiles";

QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tessel"),
                     QStringLiteral("tessel"));
}

}  // namespace

std::vector<std::string> CRecentFiles::Files() const {
    std::vector<std::string> files;
    for (const QString& file : Store().value(kKey).toStringList()) files.push_back(file.toStdString());
    if (files.size() > kMaxFiles) files.resize(kMaxFiles);
    return files;
}

void CRecentFiles::Add(const std::string& file) {
    std::vector<std::string> files = Files();
    std::erase(files, file);
    files.insert(files.begin(), file);
    if (files.size() > kMaxFiles) files.resize(kMaxFiles);
    QStringList list;
    for (const std::string& entry : files) list << QString::fromStdString(entry);
    QSettings store = Store();
    store.setValue(kKey, list);
}
