#include "U_canalcsv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "U_csv.h"

namespace interchange {

namespace {

constexpr std::array<std::string_view, 21> kHeader = {
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",     "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",     "TStep",
    "Skip",      "Power",    "Comment",      "URCALL",     "RPT1CALL",  "RPT2CALL", "DVCODE"};

// What the layout's readers put into columns a channel has no value for.
constexpr std::string_view kDefaultTone = "88.5";
constexpr std::string_view kDefaultDcs = "023";
constexpr std::string_view kDefaultCrossMode = "Tone->Tone";
// Power is a setting of the whole radio here, not of a channel; the layout wants a level in
// every row, and this is the one its readers assume when a list has none.
constexpr std::string_view kPowerLevel = "50W";

using EKind = SCanalTone::EKind;

std::string TenthsText(int tenths) {
    return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10);
}

std::string DcsText(int code) {
    const std::string digits = std::to_string(code);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

std::string ToneText(const SCanalTone& tone) {
    switch (tone.kind) {
        case EKind::Ctcss:
            return "CTCSS " + TenthsText(tone.value) + " Гц";
        case EKind::Dcs:
            return "DCS " + DcsText(tone.value);
        case EKind::None:
            break;
    }
    return "без тона";
}

// The squelch mode and the four tone columns of a channel's pair of tones.
struct SToneColumns {
    std::string mode;
    std::string rTone{kDefaultTone};
    std::string cTone{kDefaultTone};
    std::string dcs{kDefaultDcs};
    std::string rxDcs{kDefaultDcs};
    std::string crossMode{kDefaultCrossMode};
};

SToneColumns ToneColumns(const SCanalTone& rx, const SCanalTone& tx) {
    SToneColumns c;
    if (rx.kind == EKind::None && tx.kind == EKind::None) return c;
    if (rx.kind == EKind::None && tx.kind == EKind::Ctcss) {
        c.mode = "Tone";
        c.rTone = TenthsText(tx.value);
        return c;
    }
    if (rx == tx && tx.kind == EKind::Ctcss) {
        c.mode = "TSQL";
        c.rTone = c.cTone = TenthsText(tx.value);
        return c;
    }
    if (rx == tx && tx.kind == EKind::Dcs) {
        c.mode = "DTCS";
        c.dcs = c.rxDcs = DcsText(tx.value);
        return c;
    }
    c.mode = "Cross";
    const auto part = [](const SCanalTone& tone) {
        return tone.kind == EKind::Ctcss ? "Tone" : tone.kind == EKind::Dcs ? "DTCS" : "";
    };
    c.crossMode = std::string(part(tx)) + "->" + part(rx);
    if (tx.kind == EKind::Ctcss) c.rTone = TenthsText(tx.value);
    if (tx.kind == EKind::Dcs) c.dcs = DcsText(tx.value);
    if (rx.kind == EKind::Ctcss) c.cTone = TenthsText(rx.value);
    if (rx.kind == EKind::Dcs) c.rxDcs = DcsText(rx.value);
    return c;
}

std::vector<std::string> ExportRow(int index, const SCanalCommon& canal) {
    const int shift = canal.txFrequency - canal.rxFrequency;
    const SToneColumns tones = ToneColumns(canal.rxTone, canal.txTone);
    return {std::to_string(index),
            "",
            MegahertzText(canal.rxFrequency),
            shift == 0  ? ""
            : shift > 0 ? "+"
                        : "-",
            MegahertzText(std::abs(shift)),
            tones.mode,
            tones.rTone,
            tones.cTone,
            tones.dcs,
            "NN",
            tones.rxDcs,
            tones.crossMode,
            "FM",
            std::to_string(canal.step / 1000) + '.' +
                std::string(canal.step % 1000 / 10 < 10 ? "0" : "") +
                std::to_string(canal.step % 1000 / 10),
            canal.scanning ? "" : "S",
            std::string(kPowerLevel),
            "",
            "",
            "",
            "",
            ""};
}

// ---------------------------------------------------------------------------------------------
// Reading

// A value of a row that cannot be taken; the text says why.
struct SRowError {
    std::string reason;
};

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<long long> ParseDigits(std::string_view text) {
    if (!AllDigits(text) || text.size() > 12) return std::nullopt;
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// "146.520000", "146.52", "146", "146.52 MHz" in hertz.
std::optional<int> ParseMegahertz(std::string_view text) {
    text = Trimmed(text);
    if (text.ends_with(" MHz")) text.remove_suffix(4);
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string fraction(dot == std::string_view::npos ? "" : text.substr(dot + 1));
    if (fraction.size() > 6 || (!fraction.empty() && !AllDigits(fraction))) return std::nullopt;
    const std::optional<long long> mhz =
        whole.empty() && !fraction.empty() ? 0 : ParseDigits(whole);
    if (!mhz || *mhz > 2000) return std::nullopt;
    fraction.resize(6, '0');
    return static_cast<int>(*mhz * 1'000'000 + *ParseDigits(fraction));
}

// "88.5" in tenths of a hertz.
std::optional<int> ParseTenths(std::string_view text) {
    text = Trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) || value > 1000)
        return std::nullopt;
    return static_cast<int>(std::lround(value * 10));
}

// "023": octal digits, read as the decimal number the code is written as.
std::optional<int> ParseDcs(std::string_view text) {
    text = Trimmed(text);
    if (text.size() > 3 || !AllDigits(text) ||
        !std::ranges::all_of(text, [](char c) { return c <= '7'; }))
        return std::nullopt;
    return static_cast<int>(*ParseDigits(text));
}

// The columns of the header by name, and the row being read.
class CRowReader {
  public:
    CRowReader(const std::map<std::string, std::size_t, std::less<>>& columns,
               const std::vector<std::string>& fields)
        : columns_(columns), fields_(fields) {}

    // The value of a column, or fallback when the file has no such column or leaves it empty.
    std::string_view Get(std::string_view column, std::string_view fallback = {}) const {
        const auto it = columns_.find(column);
        if (it == columns_.end() || it->second >= fields_.size()) return fallback;
        const std::string_view value = Trimmed(fields_[it->second]);
        return value.empty() ? fallback : value;
    }
    bool Has(std::string_view column) const { return columns_.contains(column); }

  private:
    const std::map<std::string, std::size_t, std::less<>>& columns_;
    const std::vector<std::string>& fields_;
};

template <class T>
T Require(std::optional<T> value, std::string reason) {
    if (!value) throw SRowError{std::move(reason)};
    return *value;
}

SCanalTone Ctcss(const CRowReader& row, std::string_view column, std::string_view fallback) {
    const std::string_view text = row.Get(column, fallback);
    return {EKind::Ctcss, Require(ParseTenths(text), "неверный тон " + std::string(column) + " «" +
                                                         std::string(text) + "»")};
}

SCanalTone Dcs(const CRowReader& row, std::string_view column) {
    const std::string_view text = row.Get(column, kDefaultDcs);
    return {EKind::Dcs, Require(ParseDcs(text), "неверный код DCS " + std::string(column) + " «" +
                                                    std::string(text) + "»")};
}

// The two tones of a row. A list that has only one of the two CTCSS columns means it for both.
std::pair<SCanalTone, SCanalTone> ReadTones(const CRowReader& row) {
    const bool onlyC = row.Has("cToneFreq") && !row.Has("rToneFreq");
    const bool onlyR = row.Has("rToneFreq") && !row.Has("cToneFreq");
    const std::string_view rColumn = onlyC ? "cToneFreq" : "rToneFreq";
    const std::string_view cColumn = onlyR ? "rToneFreq" : "cToneFreq";
    const std::string_view mode = row.Get("Tone");
    SCanalTone rx, tx;
    if (mode.empty()) {
    } else if (mode == "Tone") {
        tx = Ctcss(row, rColumn, kDefaultTone);
    } else if (mode == "TSQL") {
        rx = tx = Ctcss(row, cColumn, kDefaultTone);
    } else if (mode == "DTCS") {
        rx = tx = Dcs(row, "DtcsCode");
    } else if (mode == "Cross") {
        const std::string_view cross = row.Get("CrossMode", kDefaultCrossMode);
        const std::size_t arrow = cross.find("->");
        const std::string_view txPart = cross.substr(0, arrow);
        const std::string_view rxPart =
            arrow == std::string_view::npos ? std::string_view("?") : cross.substr(arrow + 2);
        const auto known = [](std::string_view part) {
            return part.empty() || part == "Tone" || part == "DTCS";
        };
        if (!known(txPart) || !known(rxPart) || (txPart.empty() && rxPart.empty()))
            throw SRowError{"неизвестный режим CrossMode «" + std::string(cross) + "»"};
        if (txPart == "Tone") tx = Ctcss(row, rColumn, kDefaultTone);
        if (txPart == "DTCS") tx = Dcs(row, "DtcsCode");
        if (rxPart == "Tone") rx = Ctcss(row, cColumn, kDefaultTone);
        if (rxPart == "DTCS") rx = Dcs(row, "RxDtcsCode");
    } else if (mode == "TSQL-R" || mode == "DTCS-R") {
        throw SRowError{"обратное подавление " + std::string(mode) +
                        " в радиостанции не предусмотрено"};
    } else {
        throw SRowError{"неизвестный режим тона «" + std::string(mode) + "»"};
    }
    const std::string_view polarity = row.Get("DtcsPolarity", "NN");
    if (polarity.size() != 2 || (polarity[0] != 'N' && polarity[0] != 'R') ||
        (polarity[1] != 'N' && polarity[1] != 'R'))
        throw SRowError{"неизвестная полярность DCS «" + std::string(polarity) + "»"};
    if ((tx.kind == EKind::Dcs && polarity[0] == 'R') ||
        (rx.kind == EKind::Dcs && polarity[1] == 'R'))
        throw SRowError{"инверсный код DCS в радиостанции не предусмотрен"};
    return {rx, tx};
}

SCanalCommon ReadCanal(const CRowReader& row) {
    SCanalCommon canal;
    canal.enabled = true;
    const std::string_view frequency = row.Get("Frequency");
    canal.rxFrequency =
        Require(ParseMegahertz(frequency), "неверная частота «" + std::string(frequency) + "»");
    if (canal.rxFrequency == 0) throw SRowError{"частота не задана"};
    const std::string_view duplex = row.Get("Duplex");
    const std::string_view offsetText = row.Get("Offset", "0");
    const int offset =
        Require(ParseMegahertz(offsetText), "неверный сдвиг «" + std::string(offsetText) + "»");
    long long tx = 0;
    if (duplex.empty())
        tx = canal.rxFrequency;
    else if (duplex == "+")
        tx = static_cast<long long>(canal.rxFrequency) + offset;
    else if (duplex == "-")
        tx = static_cast<long long>(canal.rxFrequency) - offset;
    else if (duplex == "split")
        tx = offset;
    else if (duplex == "off")
        throw SRowError{"канал без передачи (Duplex off) в радиостанции не предусмотрен"};
    else
        throw SRowError{"неизвестный Duplex «" + std::string(duplex) + "»"};
    // Both frequencies come from at most 2000 MHz each: the sum stays far inside long long.
    if (tx <= 0 || tx > 2'000'000'000)
        throw SRowError{"неверный сдвиг «" + std::string(offsetText) + "»"};
    canal.txFrequency = static_cast<int>(tx);
    std::tie(canal.rxTone, canal.txTone) = ReadTones(row);
    const std::string_view mode = row.Get("Mode", "FM");
    if (mode != "FM" && mode != "NFM" && mode != "Auto")
        throw SRowError{"вид модуляции «" + std::string(mode) + "» в радиостанции не предусмотрен"};
    const std::string_view step = row.Get("TStep", "0");
    const std::optional<int> stepTenths = ParseTenths(step);
    canal.step =
        step == "0" ? 0 : Require(stepTenths, "неверный шаг «" + std::string(step) + "»") * 100;
    const std::string_view skip = row.Get("Skip");
    if (skip != "" && skip != "S" && skip != "P")
        throw SRowError{"неизвестный Skip «" + std::string(skip) + "»"};
    canal.scanning = skip != "S";
    return canal;
}

// "частота приема 145.500000 МГц", "тон передачи 88,5": what a direction of the channel holds.
std::string FrequencyOf(bool receive, const SCanalCommon& canal) {
    return std::string(receive ? "частота приема " : "частота передачи ") +
           MegahertzText(receive ? canal.rxFrequency : canal.txFrequency) + " МГц";
}

std::string ToneOf(bool receive, const SCanalCommon& canal) {
    return std::string(receive ? "тон приема " : "тон передачи ") +
           ToneText(receive ? canal.rxTone : canal.txTone);
}

std::string MisfitReason(ECanalMisfit misfit, const SCanalCommon& canal) {
    switch (misfit) {
        case ECanalMisfit::RxFrequency:
        case ECanalMisfit::TxFrequency:
            return FrequencyOf(misfit == ECanalMisfit::RxFrequency, canal) +
                   " вне диапазона радиостанции";
        case ECanalMisfit::RxGrid:
        case ECanalMisfit::TxGrid:
            return FrequencyOf(misfit == ECanalMisfit::RxGrid, canal) +
                   " не на сетке частот радиостанции (не кратна ее шагу)";
        case ECanalMisfit::RxTone:
        case ECanalMisfit::TxTone:
            return ToneOf(misfit == ECanalMisfit::RxTone, canal) +
                   " в радиостанции не предусмотрен";
        case ECanalMisfit::ToneSplit:
            return "разные тоны приема (" + ToneText(canal.rxTone) + ") и передачи (" +
                   ToneText(canal.txTone) + ") в радиостанции не предусмотрены";
        case ECanalMisfit::None:
            break;
    }
    return {};
}

}  // namespace

std::string MegahertzText(int hertz) {
    std::string fraction = std::to_string(hertz % 1'000'000);
    return std::to_string(hertz / 1'000'000) + '.' + std::string(6 - fraction.size(), '0') +
           fraction;
}

std::string ExportCanals(CRadioData& data) {
    std::vector<std::string> header(kHeader.begin(), kHeader.end());
    std::string text = CsvLine(header);
    for (int index = 0; index < kRadioCanalCount; ++index) {
        const SCanalCommon canal = data.Canal(index)->Common();
        if (canal.enabled) text += CsvLine(ExportRow(index, canal));
    }
    return text;
}

SCanalImport PlanCanalImport(CRadioData& data, std::string_view csv) {
    SCanalImport plan;
    std::vector<SCsvRow> rows = ParseCsv(csv);
    std::erase_if(rows, [](const SCsvRow& row) {
        return !row.fields.empty() && row.fields[0].starts_with('#');
    });
    if (rows.empty()) {
        plan.fileError = "Файл пуст: нет строки заголовка";
        return plan;
    }
    std::map<std::string, std::size_t, std::less<>> columns;
    for (std::size_t i = 0; i < rows[0].fields.size(); ++i)
        columns.try_emplace(std::string(Trimmed(rows[0].fields[i])), i);
    for (const std::string_view required : {"Location", "Frequency"}) {
        if (!columns.contains(required)) {
            plan.fileError = "В заголовке файла нет столбца " + std::string(required);
            return plan;
        }
    }
    std::map<int, int> lineOfCanal;
    for (auto row = rows.begin() + 1; row != rows.end(); ++row) {
        const CRowReader reader(columns, row->fields);
        const std::string location(reader.Get("Location"));
        const auto issue = [&](std::string reason) {
            plan.issues.push_back({row->line, location, std::move(reason)});
        };
        try {
            if (row->fields.size() < rows[0].fields.size())
                throw SRowError{"полей " + std::to_string(row->fields.size()) + ", а в заголовке " +
                                std::to_string(rows[0].fields.size())};
            const std::optional<long long> number = ParseDigits(location);
            if (!number) throw SRowError{"неверный номер канала «" + location + "»"};
            if (*number >= kRadioCanalCount)
                throw SRowError{"такого канала в радиостанции нет (каналы 0.." +
                                std::to_string(kRadioCanalCount - 1) + ")"};
            const int index = static_cast<int>(*number);
            if (const auto seen = lineOfCanal.find(index); seen != lineOfCanal.end())
                throw SRowError{"канал уже задан в строке " + std::to_string(seen->second)};
            SCanalCommon canal = ReadCanal(reader);
            if (canal.step == 0) canal.step = data.Canal(index)->Common().step;
            const ECanalMisfit misfit = data.Canal(index)->Misfit(canal);
            if (misfit != ECanalMisfit::None) throw SRowError{MisfitReason(misfit, canal)};
            lineOfCanal.emplace(index, row->line);
            plan.canals.emplace_back(index, canal);
            if (!reader.Get("Name").empty()) plan.namesDropped = true;
        } catch (const SRowError& error) {
            issue(error.reason);
        }
    }
    return plan;
}

void ApplyCanalImport(CRadioData& data, const SCanalImport& plan) {
    for (const auto& [index, canal] : plan.canals) data.Canal(index)->PutCommon(canal);
}

std::string IssueText(const SCanalIssue& issue) {
    std::string text = "Строка " + std::to_string(issue.line);
    if (!issue.location.empty()) text += ", канал " + issue.location;
    return text + ": " + issue.reason;
}

std::string ImportReport(const SCanalImport& plan, std::size_t limit) {
    if (!plan.fileError.empty()) return plan.fileError;
    std::string text;
    if (!plan.issues.empty()) {
        text += "Не приняты строки: " + std::to_string(plan.issues.size()) + '\n';
        for (std::size_t i = 0; i < plan.issues.size() && i < limit; ++i)
            text += IssueText(plan.issues[i]) + '\n';
        if (plan.issues.size() > limit)
            text += "... и еще " + std::to_string(plan.issues.size() - limit) + '\n';
    }
    if (plan.namesDropped) text += "Названия каналов не сохраняются: в радиостанции их нет\n";
    return text;
}

}  // namespace interchange
