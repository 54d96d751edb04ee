#include "U_channelops.h"

#include <QRegularExpression>

#include <algorithm>

namespace views {

QString CanalNumber(int canal) {
    return QStringLiteral("%1").arg(canal, 2, 10, QLatin1Char('0'));
}

QString GroupedHz(int hz) {
    QString digits = QString::number(hz);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

QString MegahertzText(int hz) {
    const QChar sign = hz < 0 ? QLatin1Char('-') : QChar();
    const long long magnitude = hz < 0 ? -static_cast<long long>(hz) : hz;
    QString text = QStringLiteral("%1,%2")
                       .arg(magnitude / 1000000)
                       .arg(magnitude % 1000000, 6, 10, QLatin1Char('0'));
    return sign.isNull() ? text : sign + text;
}

QString CanalsText(const std::set<int>& canals) {
    QStringList runs;
    for (auto it = canals.begin(); it != canals.end();) {
        const int first = *it;
        int last = first;
        while (++it != canals.end() && *it == last + 1) last = *it;
        runs << (first == last ? CanalNumber(first)
                               : CanalNumber(first) + QChar(0x2013) + CanalNumber(last));
    }
    return runs.join(QStringLiteral(", "));
}

std::optional<int> ReadFrequencyEntry(const QString& text) {
    QString entry = text;
    entry.remove(QRegularExpression(QStringLiteral("[\\s\\x{00A0}\\x{202F}]")));
    const qsizetype point = entry.indexOf(QRegularExpression(QStringLiteral("[.,]")));
    const QString whole = point < 0 ? entry : entry.left(point);
    const QString fraction = point < 0 ? QString() : entry.mid(point + 1);
    static const QRegularExpression digits(QStringLiteral("^[0-9]*$"));
    if (!digits.match(whole).hasMatch() || !digits.match(fraction).hasMatch()) return {};
    if (whole.isEmpty() && fraction.isEmpty()) return {};
    constexpr long long kMax = 2147483647;
    if (point >= 0) {
        if (fraction.size() > 6 || whole.size() > 4) return {};
        const long long hz = whole.toLongLong() * 1000000 +
                             (fraction + QStringLiteral("000000")).left(6).toLongLong();
        return static_cast<int>(std::min(hz, kMax));
    }
    if (whole.size() > 10) return static_cast<int>(kMax);
    const long long value = whole.toLongLong();
    if (value < 1000) return static_cast<int>(value * 1000000);
    return static_cast<int>(std::min(value, kMax));
}

// ---- text form ------------------------------------------------------------------------------

namespace {

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

QString CanalsToText(const std::vector<SNumberedCanal>& canals) {
    QString text;
    for (const SNumberedCanal& c : canals) {
        const SCanalRecord& r = c.record;
        const QStringList cells = {CanalNumber(c.canal),
                                   Flag(r.enabled),
                                   QString::number(r.rx),
                                   QString::number(r.tx),
                                   r.rxTone,
                                   r.txTone,
                                   Flag(r.scanning),
                                   Flag(r.blocked),
                                   Flag(r.limited),
                                   QString::number(r.step),
                                   QString::number(r.callTone)};
        text += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    return text;
}

std::vector<SNumberedCanal> CanalsFromText(const QString& text) {
    std::vector<SNumberedCanal> canals;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() < 4) continue;
        bool okNumber = false, okRx = false, okTx = false;
        SNumberedCanal c;
        c.canal = cells[0].trimmed().toInt(&okNumber);
        SCanalRecord& r = c.record;
        r.rx = QString(cells[2]).remove(QLatin1Char(' ')).toInt(&okRx);
        r.tx = QString(cells[3]).remove(QLatin1Char(' ')).toInt(&okTx);
        if (!okNumber || !okRx || !okTx) continue;  // a header line or foreign text
        const auto cell = [&cells](int i) {
            return i < cells.size() ? cells[i].trimmed() : QString();
        };
        r.enabled = cell(1) != QStringLiteral("0");
        if (!cell(4).isEmpty()) r.rxTone = cell(4);
        r.txTone = cell(5).isEmpty() ? r.rxTone : cell(5);
        r.scanning = cell(6) == QStringLiteral("1");
        r.blocked = cell(7) == QStringLiteral("1");
        r.limited = cell(8) == QStringLiteral("1");
        if (const int step = cell(9).toInt(); step > 0) r.step = step;
        r.callTone = cell(10).toInt();
        r.oneFrq = r.rx == r.tx;
        r.oneCss = r.rxTone == r.txTone;
        canals.push_back(c);
    }
    return canals;
}

QString SEditReport::Text() const {
    if (skipped.isEmpty()) return {};
    return QStringLiteral("Не изменены каналы: ") + skipped.join(QStringLiteral("; "));
}

// ---- operations -----------------------------------------------------------------------------

std::vector<SCanalRecord> CCanalTable::Table() const {
    std::vector<SCanalRecord> table;
    table.reserve(static_cast<std::size_t>(a_.Count()));
    for (int i = 0; i < a_.Count(); ++i) table.push_back(a_.Get(i));
    return table;
}

int CCanalTable::RunLength(const std::vector<SCanalRecord>& table) const {
    const auto firstOff =
        std::find_if(table.begin(), table.end(), [](const SCanalRecord& r) { return !r.enabled; });
    return static_cast<int>(firstOff - table.begin());
}

namespace {

std::vector<int> Identity(int count) {
    std::vector<int> origin(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) origin[static_cast<std::size_t>(i)] = i;
    return origin;
}

}  // namespace

SEditReport CCanalTable::Commit(const std::vector<SCanalRecord>& before,
                                std::vector<SCanalRecord> after, const std::vector<int>& origin) {
    SEditReport report;
    if (const int limit = a_.RunLimit(); limit > 0) {
        // Working channels past a gap, or past the longest run, would not be working in the
        // radio: they stay off, and the user hears of the ones that were asked for.
        const int run = std::min(RunLength(after), limit);
        for (int i = run; i < static_cast<int>(after.size()); ++i) {
            SCanalRecord& r = after[static_cast<std::size_t>(i)];
            if (!r.enabled) continue;
            if (r != before[static_cast<std::size_t>(i)] ||
                !before[static_cast<std::size_t>(i)].enabled)
                report.skipped << CanalNumber(i) +
                                      QStringLiteral(": вне ряда рабочих каналов от 00");
            r = a_.Empty();
        }
    }
    const int anchor = a_.Anchor();
    for (std::size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i]) a_.Put(static_cast<int>(i), after[i]);
    if (anchor >= 0) {
        const auto moved = std::find(origin.begin(), origin.end(), anchor);
        a_.SetAnchor(moved == origin.end() ? -1 : static_cast<int>(moved - origin.begin()));
    }
    return report;
}

bool CCanalTable::InsertLosesCanal(int canal) const {
    const std::vector<SCanalRecord> table = Table();
    if (const int limit = a_.RunLimit(); limit > 0) {
        const int run = RunLength(table);
        return canal < run && run >= limit;
    }
    return table.back().enabled && canal < a_.Count() - 1;
}

void CCanalTable::Insert(int canal) {
    const std::vector<SCanalRecord> before = Table();
    const int count = static_cast<int>(before.size());
    if (canal < 0 || canal >= count) return;
    int last = count - 1;
    SCanalRecord fresh = a_.Empty();
    if (const int limit = a_.RunLimit(); limit > 0) {
        // In a run the new channel is a working one, and the run's last one is what moves off.
        const int run = RunLength(before);
        if (canal >= run) return;
        last = std::min(run, limit - 1);
        fresh.enabled = true;
    }
    std::vector<SCanalRecord> after = before;
    std::vector<int> origin = Identity(count);
    for (int i = last; i > canal; --i) {
        after[static_cast<std::size_t>(i)] = before[static_cast<std::size_t>(i - 1)];
        origin[static_cast<std::size_t>(i)] = i - 1;
    }
    after[static_cast<std::size_t>(canal)] = fresh;
    origin[static_cast<std::size_t>(canal)] = -1;
    Commit(before, std::move(after), origin);
}

void CCanalTable::Delete(const std::set<int>& canals) {
    const std::vector<SCanalRecord> before = Table();
    const int count = static_cast<int>(before.size());
    std::vector<SCanalRecord> after;
    std::vector<int> origin;
    for (int i = 0; i < count; ++i) {
        if (canals.contains(i)) continue;
        after.push_back(before[static_cast<std::size_t>(i)]);
        origin.push_back(i);
    }
    while (static_cast<int>(after.size()) < count) {
        after.push_back(a_.Empty());
        origin.push_back(-1);
    }
    Commit(before, std::move(after), origin);
}

std::set<int> CCanalTable::Move(const std::set<int>& canals, int direction) {
    const std::vector<SCanalRecord> before = Table();
    const int count = static_cast<int>(before.size());
    std::vector<SCanalRecord> after = before;
    std::vector<int> origin = Identity(count);
    std::set<int> moved = canals;
    // A block that already touches the end stays; channels beside it wait with it. In a run
    // model a working channel does not change places with a free one.
    const bool run = a_.RunLimit() > 0;
    std::vector<int> order(canals.begin(), canals.end());
    if (direction > 0) std::reverse(order.begin(), order.end());
    for (const int from : order) {
        const int to = from + direction;
        if (to < 0 || to >= count || moved.contains(to)) continue;
        auto& a = after[static_cast<std::size_t>(from)];
        auto& b = after[static_cast<std::size_t>(to)];
        if (run && a.enabled != b.enabled) continue;
        std::swap(a, b);
        std::swap(origin[static_cast<std::size_t>(from)], origin[static_cast<std::size_t>(to)]);
        moved.erase(from);
        moved.insert(to);
    }
    Commit(before, std::move(after), origin);
    return moved;
}

void CCanalTable::Clear(const std::set<int>& canals) {
    const std::vector<SCanalRecord> before = Table();
    std::vector<SCanalRecord> after = before;
    const int limit = a_.RunLimit();
    int keepOn = 0;  // in a run model, channels below this stay working, only emptied
    if (limit > 0) {
        keepOn = RunLength(before);
        while (keepOn > 0 && canals.contains(keepOn - 1)) --keepOn;
    }
    for (const int canal : canals) {
        if (canal < 0 || canal >= static_cast<int>(after.size())) continue;
        SCanalRecord empty = a_.Empty();
        empty.enabled = canal < keepOn;
        if (empty.enabled) empty.callTone = before[static_cast<std::size_t>(canal)].callTone;
        after[static_cast<std::size_t>(canal)] = empty;
    }
    Commit(before, std::move(after), Identity(static_cast<int>(before.size())));
}

SEditReport CCanalTable::Paste(int canal, const std::vector<SNumberedCanal>& records) {
    const std::vector<SCanalRecord> before = Table();
    std::vector<SCanalRecord> after = before;
    SEditReport misfits;
    int target = canal;
    for (const SNumberedCanal& source : records) {
        if (target >= static_cast<int>(after.size())) break;
        const QString why = a_.Misfit(source.record);
        if (why.isEmpty())
            after[static_cast<std::size_t>(target)] = source.record;
        else
            misfits.skipped << CanalNumber(target) + QStringLiteral(": ") + why;
        ++target;
    }
    SEditReport report =
        Commit(before, std::move(after), Identity(static_cast<int>(before.size())));
    misfits.skipped << report.skipped;
    return misfits;
}

SEditReport CCanalTable::Fill(const std::set<int>& canals, int startHz, int stepHz,
                              const std::optional<std::pair<QString, QString>>& tones) {
    const std::vector<SCanalRecord> before = Table();
    std::vector<SCanalRecord> after = before;
    long long hz = startHz;
    for (const int canal : canals) {
        if (canal < 0 || canal >= static_cast<int>(after.size())) continue;
        SCanalRecord& r = after[static_cast<std::size_t>(canal)];
        if (!r.enabled) r = a_.Empty();
        r.enabled = true;
        r.rx = r.tx =
            a_.SnapFrequency(static_cast<int>(std::clamp<long long>(hz, 0, 2'000'000'000)));
        r.oneFrq = true;
        if (tones) {
            r.rxTone = tones->first;
            r.txTone = tones->second;
            r.oneCss = r.rxTone == r.txTone;
        }
        hz += stepHz;
    }
    return Commit(before, std::move(after), Identity(static_cast<int>(before.size())));
}

}  // namespace views
