#include "U_printlist.h"

#include <QBuffer>
#include <QDate>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <sstream>
#include <vector>

#include "U_canalcsv.h"
#include "U_codepage.h"
#include "U_compare.h"
#include "U_outfile.h"

namespace interchange {

namespace {

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString ToneName(const SCanalTone& tone) {
    switch (tone.kind) {
        case SCanalTone::EKind::Ctcss:
            return QStringLiteral("%1,%2").arg(tone.value / 10).arg(tone.value % 10);
        case SCanalTone::EKind::Dcs:
            return QStringLiteral("DCS %1").arg(tone.value, 3, 10, QLatin1Char('0'));
        case SCanalTone::EKind::None:
            break;
    }
    return QStringLiteral("—");
}

// The settings of the text form with their captions; the ranges and the scrambler key are left
// out (the ranges stand in the heading, the key does not belong on paper).
std::vector<std::pair<QString, QString>> Settings(CRadioData& data) {
    std::ostringstream body;
    data.WriteText(body);
    std::istringstream in(Cp1251ToUtf8(body.str()));
    std::vector<std::pair<QString, QString>> settings;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        const std::string key = line.substr(0, eq);
        if (key[0] >= '0' && key[0] <= '9') continue;  // a channel's field
        if (key.starts_with("FR") || key.starts_with("Key")) continue;
        settings.emplace_back(Q(FieldCaption(key)), Q(line.substr(eq + 1)));
    }
    return settings;
}

// Draws line after line, starting a new page when the page is full.
class CPageWriter {
  public:
    CPageWriter(QPdfWriter& writer, QPainter& painter) : writer_(writer), painter_(painter) {
        lineHeight_ = painter_.fontMetrics().height() * 12 / 10;
    }
    void Line(const std::vector<std::pair<int, QString>>& cells, bool bold = false) {
        if (y_ + lineHeight_ > painter_.viewport().height()) {
            writer_.newPage();
            y_ = 0;
        }
        QFont font = painter_.font();
        font.setBold(bold);
        painter_.setFont(font);
        y_ += lineHeight_;
        for (const auto& [x, text] : cells) painter_.drawText(x, y_, text);
    }
    void Gap() { y_ += lineHeight_ / 2; }
    int Width() const { return painter_.viewport().width(); }

  private:
    QPdfWriter& writer_;
    QPainter& painter_;
    int lineHeight_ = 0;
    int y_ = 0;
};

}  // namespace

// Draws the whole list on writer; false when it cannot be drawn.
static bool DrawCanalList(IRadio& radio, QPdfWriter& writer) {
    CRadioData& data = RequireOwnRadioData(radio.Data());
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(150);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Список каналов ") + Q(radio.Name()));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    CPageWriter page(writer, painter);
    const int w = page.Width();

    page.Line({{0, QStringLiteral("Параметры радиостанции ") + Q(radio.Name())}}, true);
    QString identity = QStringLiteral("Диапазон частот: ") + Q(data.RangeText());
    if (!radio.SerialNumber().empty())
        identity += QStringLiteral("    Заводской номер: ") + Q(radio.SerialNumber());
    identity +=
        QStringLiteral("    Дата: ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    page.Line({{0, identity}});
    page.Gap();

    const std::vector<int> columns = {
        0, w * 7 / 100, w * 23 / 100, w * 39 / 100, w * 53 / 100, w * 68 / 100, w * 81 / 100};
    const auto row = [&columns](const std::vector<QString>& texts) {
        std::vector<std::pair<int, QString>> cells;
        for (std::size_t i = 0; i < texts.size(); ++i) cells.emplace_back(columns[i], texts[i]);
        return cells;
    };
    page.Line(
        row({QStringLiteral("Канал"), QStringLiteral("Прием, МГц"), QStringLiteral("Передача, МГц"),
             QStringLiteral("Тон приема"), QStringLiteral("Тон передачи"),
             QStringLiteral("Шаг, кГц"), QStringLiteral("Сканирование")}),
        true);
    int working = 0;
    for (int index = 0; index < kRadioCanalCount; ++index) {
        const SCanalCommon canal = data.Canal(index)->Common();
        if (!canal.enabled) continue;
        ++working;
        page.Line(row({QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0')),
                       Q(MegahertzText(canal.rxFrequency)), Q(MegahertzText(canal.txFrequency)),
                       ToneName(canal.rxTone), ToneName(canal.txTone),
                       QString::number(canal.step / 1000.0, 'f', 1).replace('.', ','),
                       canal.scanning ? QStringLiteral("да") : QStringLiteral("нет")}));
    }
    page.Line({{0, QStringLiteral("Рабочих каналов: %1").arg(working)}});
    page.Gap();
    page.Line({{0, QStringLiteral("Параметры")}}, true);
    for (const auto& [caption, value] : Settings(data))
        page.Line({{0, caption}, {w * 70 / 100, value}});
    return painter.end();
}

std::string PrintCanalList(IRadio& radio, const std::string& file) {
    // Drawn in memory first, then written like every other output: a failure never leaves the
    // previous list empty or cut.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        if (!DrawCanalList(radio, writer)) return "Список каналов не удалось подготовить к печати";
    }
    const QByteArray& bytes = pdf.data();
    return WriteOutputFile(
        file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace interchange
