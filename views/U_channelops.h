// Editing whole channels of a channel table: a channel as a model-neutral record, its
// tab-separated text for the clipboard and spreadsheets, and the table operations (insert,
// delete, move, clear, paste, fill), which reach the parameter set only through a model's
// channel access and so only through its setters.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

namespace views {

// A channel as every model can describe it. Tones are the text-form names: "(нет)", a CTCSS
// tone such as "67,0", "(ОПР)", or a DCS code of three digits such as "023".
struct SCanalRecord {
    bool enabled = false;
    int step = 12500;
    int rx = 0;  // Hz
    int tx = 0;
    bool oneFrq = true;
    QString rxTone = QStringLiteral("(нет)");
    QString txTone = QStringLiteral("(нет)");
    bool oneCss = true;
    bool scanning = false;
    bool blocked = false;  // no transmission on a busy channel
    bool limited = false;  // the transmit time limit applies
    int callTone = 0;      // Hz; 0 where the model has no call tone per channel
    bool operator==(const SCanalRecord&) const = default;
};

// A copied channel with the number it had.
struct SNumberedCanal {
    int canal = 0;
    SCanalRecord record;
};

// One line per channel: number, on (1/0), receive and transmit frequency in Hz, receive and
// transmit tone, scanning, blocked on busy, time limit (1/0 each), step and call tone in Hz.
QString CanalsToText(const std::vector<SNumberedCanal>& canals);
// Reads such lines back; a line whose number or frequencies do not read is skipped, missing
// trailing columns keep their defaults, and "=" follows from equal values.
std::vector<SNumberedCanal> CanalsFromText(const QString& text);

// What a model offers to the table operations.
class ICanalAccess {
  public:
    virtual ~ICanalAccess() = default;
    virtual int Count() const = 0;
    virtual SCanalRecord Get(int canal) const = 0;
    // Why a record cannot be put into this model as it is (a frequency outside the band, a tone
    // the model has not); empty when it fits.
    virtual QString Misfit(const SCanalRecord& record) const = 0;
    // Stores the record through the channel's setters.
    virtual void Put(int canal, const SCanalRecord& record) = 0;
    // The channel as it is when nobody has set it up.
    virtual SCanalRecord Empty() const = 0;
    // The channel the set names apart (the priority channel), -1 for none; setting -1 lets
    // the model choose its own.
    virtual int Anchor() const = 0;
    virtual void SetAnchor(int canal) = 0;
    // A model whose working channels form one run from 00 gives its longest run; 0 otherwise.
    virtual int RunLimit() const { return 0; }
    // A frequency as a typed one would be stored.
    virtual int SnapFrequency(int hz) const = 0;
    // The tones a fill may set, in the model's list order.
    virtual QStringList ToneNames() const = 0;
};

// What an operation did not do, as the user is told it.
struct SEditReport {
    QStringList skipped;  // "05: частота 150 000 000 вне диапазона"
    QString Text() const;
};

// The table operations. Each computes the table it wants and puts only the channels that
// change, then brings the anchor to where its channel went.
class CCanalTable {
  public:
    explicit CCanalTable(ICanalAccess& access) : a_(access) {}

    // Whether inserting at canal pushes a working channel off the end.
    bool InsertLosesCanal(int canal) const;
    void Insert(int canal);
    void Delete(const std::set<int>& canals);
    // Moves the channels one place up (-1) or down (+1); returns where they are now.
    std::set<int> Move(const std::set<int>& canals, int direction);
    void Clear(const std::set<int>& canals);
    // Puts records from canal on, in order; returns what did not fit.
    SEditReport Paste(int canal, const std::vector<SNumberedCanal>& records);
    // Working channels at start, start + step, ... (snapped as typed), optionally with tones.
    SEditReport Fill(const std::set<int>& canals, int startHz, int stepHz,
                     const std::optional<std::pair<QString, QString>>& tones);

  private:
    std::vector<SCanalRecord> Table() const;
    // The run length of a run model (working channels from 00).
    int RunLength(const std::vector<SCanalRecord>& table) const;
    // Puts the changed channels and the anchor; a run model loses what lies past its run.
    SEditReport Commit(const std::vector<SCanalRecord>& before, std::vector<SCanalRecord> after,
                       const std::vector<int>& origin);

    ICanalAccess& a_;
};

// The two-digit channel number.
QString CanalNumber(int canal);
// A frequency as the user reads it: 145 012 500.
QString GroupedHz(int hz);
// A frequency in megahertz with all six decimals and a decimal comma: 149,000000.
QString MegahertzText(int hz);
// Channels as a list of numbers and runs: "04", "03–05", "01, 03–05".
QString CanalsText(const std::set<int>& canals);

// A frequency as a technician types it, in hertz. A decimal point or comma means megahertz
// ("146.52", "146,52": 146 520 000; at most six decimals); a whole number below 1000 means
// megahertz too ("146"), since no channel lies below 1 kHz; any other whole number is hertz,
// blanks between the groups allowed ("145 012 500", "145012500"). Nothing for a text that is
// none of these; a value past the 32-bit range reads as its largest value.
std::optional<int> ReadFrequencyEntry(const QString& text);

}  // namespace views
