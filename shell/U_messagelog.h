#pragma once
// The window's recent messages with the time each was shown, so that a text that has left the
// status line can still be read.

#include <QDateTime>
#include <QString>

#include <cstddef>
#include <deque>

struct SLogEntry {
    QDateTime time;
    QString text;
};

class CMessageLog {
  public:
    explicit CMessageLog(std::size_t capacity = 200) : capacity_(capacity) {}

    // Empty texts (a cleared status line) are not messages.
    void Add(const QString& text, const QDateTime& time = QDateTime::currentDateTime());
    // Oldest first.
    const std::deque<SLogEntry>& Entries() const { return entries_; }
    // One line per entry, newest first: "HH:mm:ss  text" (with the date when it is not today's).
    QString Text(const QDate& today = QDate::currentDate()) const;

  private:
    std::size_t capacity_;
    std::deque<SLogEntry> entries_;
};
