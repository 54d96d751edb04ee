#include "U_fleetreport.h"

#include <QBuffer>
#include <QDate>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "U_outfile.h"

namespace fleet {

namespace {

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString ResultText(EResult result) {
    switch (result) {
        case EResult::Written:
            return QStringLiteral("записана");
        case EResult::Skipped:
            return QStringLiteral("пропущена");
        case EResult::Failed:
            break;
    }
    return QStringLiteral("ОШИБКА");
}

// Line after line, a new page when the page is full; long texts are wrapped in their column.
class CReportPage {
  public:
    CReportPage(QPdfWriter& writer, QPainter& painter) : writer_(writer), painter_(painter) {
        lineHeight_ = painter_.fontMetrics().height() * 12 / 10;
    }
    int Width() const { return painter_.viewport().width(); }
    void Gap() { y_ += lineHeight_ / 2; }
    // Cells at their x positions; the last one may take several lines.
    void Row(const std::vector<std::pair<int, QString>>& cells, bool bold = false) {
        QFont font = painter_.font();
        font.setBold(bold);
        painter_.setFont(font);
        const int lastX = cells.empty() ? 0 : cells.back().first;
        const QRect last = painter_.boundingRect(QRect(lastX, 0, Width() - lastX, 10000),
                                                 Qt::TextWordWrap, cells.back().second);
        const int height = std::max(lineHeight_, last.height());
        if (y_ + height > painter_.viewport().height()) {
            writer_.newPage();
            y_ = 0;
        }
        for (std::size_t i = 0; i + 1 < cells.size(); ++i)
            painter_.drawText(
                QRect(cells[i].first, y_, cells[i + 1].first - cells[i].first, lineHeight_),
                Qt::AlignLeft, cells[i].second);
        painter_.drawText(QRect(lastX, y_, Width() - lastX, height), Qt::TextWordWrap,
                          cells.back().second);
        y_ += height;
    }

  private:
    QPdfWriter& writer_;
    QPainter& painter_;
    int lineHeight_ = 0;
    int y_ = 0;
};

bool Draw(const SFleetReport& report, QPdfWriter& writer) {
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(150);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Запись в группу радиостанций ") + Q(report.model));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    CReportPage page(writer, painter);
    const int w = page.Width();
    page.Row({{0, QStringLiteral("Запись в группу радиостанций ") + Q(report.model)}}, true);
    page.Row({{0, QStringLiteral("Дата: ") +
                      QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))}});
    page.Row({{0, QStringLiteral("Файл параметров: ") + Q(report.file.string())}});
    page.Row({{0, QStringLiteral("Контрольная сумма (SHA-256 файла): ") + Q(report.checksum)}});
    if (!report.note.empty()) page.Row({{0, QStringLiteral("Примечание: ") + Q(report.note)}});
    int written = 0, failed = 0, skipped = 0;
    for (const SLogRow& row : report.rows)
        (row.result == EResult::Written   ? written
         : row.result == EResult::Skipped ? skipped
                                          : failed)++;
    page.Row({{0, QStringLiteral("Записано: %1    Ошибок: %2    Пропущено: %3")
                      .arg(written)
                      .arg(failed)
                      .arg(skipped)}},
             true);
    page.Gap();
    const std::vector<int> x = {0,           w * 5 / 100, w * 21 / 100, w * 33 / 100, w * 47 / 100,
                                w * 60 / 100};
    page.Row({{x[0], QStringLiteral("№")},
              {x[1], QStringLiteral("Время")},
              {x[2], QStringLiteral("Модель")},
              {x[3], QStringLiteral("Заводской №")},
              {x[4], QStringLiteral("Результат")},
              {x[5], QStringLiteral("Сообщение")}},
             true);
    int number = 0;
    for (const SLogRow& row : report.rows)
        page.Row({{x[0], QString::number(++number)},
                  {x[1], Q(row.time).replace('T', ' ')},
                  {x[2], Q(row.model)},
                  {x[3], Q(row.serial)},
                  {x[4], ResultText(row.result)},
                  {x[5], Q(row.message)}});
    return painter.end();
}

}  // namespace

std::vector<SLogRow> GroupRows(const std::vector<SLogRow>& rows, const std::string& checksum) {
    std::vector<SLogRow> group;
    for (const SLogRow& row : rows)
        if (row.checksum == checksum) group.push_back(row);
    return group;
}

bool PrintFleetReport(const SFleetReport& report, const std::filesystem::path& out) {
    // Drawn in memory, then written whole: a failure leaves an earlier report as it was.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        if (!Draw(report, writer)) return false;
    }
    const QByteArray& bytes = pdf.data();
    return interchange::WriteOutputFile(
               out, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        .empty();
}

}  // namespace fleet
