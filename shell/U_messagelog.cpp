#include "U_messagelog.h"

#include <QStringList>

void CMessageLog::Add(const QString& text, const QDateTime& time) {
    if (text.trimmed().isEmpty() || capacity_ == 0) return;
    if (entries_.size() == capacity_) entries_.pop_front();
    entries_.push_back({time, text});
}

QString CMessageLog::Text(const QDate& today) const {
    QStringList lines;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const QString format = it->time.date() == today ? QStringLiteral("HH:mm:ss")
                                                        : QStringLiteral("dd.MM.yyyy HH:mm:ss");
        lines << it->time.toString(format) + QStringLiteral("  ") + it->text;
    }
    return lines.join(QLatin1Char('\n'));
}
