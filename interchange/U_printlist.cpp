#include "U_printlist.h"

#include <QBuffer>
#include <QDate>
#include <QFont>
#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>
#include <vector>

#include "U_compare.h"
#include "U_outfile.h"

namespace interchange {

namespace {

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr int kCellPadding = 6;  // pixels at the print resolution, each side of a cell's text
const QColor kRuleColor(160, 160, 160);

// Lays blocks out down the pages: a block that does not fit starts a new page, where the
// repeated heading (the channel table's column headings) is drawn first.
class CPageWriter {
  public:
    CPageWriter(QPagedPaintDevice& device, QPainter& painter)
        : device_(device), painter_(painter), bottom_(painter.viewport().height()) {}

    int Width() const { return painter_.viewport().width(); }
    int Top() const { return y_; }
    // Makes room for a block of the height; returns its top.
    int Take(int height) {
        KeepRoom(height);
        const int top = y_;
        y_ += height;
        return top;
    }
    void Gap(int height) { y_ = std::min(y_ + height, bottom_); }
    // Starts a new page unless the height still fits: a heading keeps its first row with it.
    void KeepRoom(int height) {
        if (y_ + height > bottom_ && y_ > 0) {
            device_.newPage();
            y_ = 0;
            if (repeat_) repeat_();
        }
    }
    void RepeatOnNewPage(std::function<void()> draw) { repeat_ = std::move(draw); }

  private:
    QPagedPaintDevice& device_;
    QPainter& painter_;
    int bottom_;
    int y_ = 0;
    std::function<void()> repeat_;
};

int LineHeight(const QPainter& painter) {
    return painter.fontMetrics().height() + 2 * kCellPadding / 2;
}

void SetFont(QPainter& painter, bool bold, bool italic = false, int points = 9) {
    QFont font(QStringLiteral("DejaVu Sans"), points);
    font.setBold(bold);
    font.setItalic(italic);
    painter.setFont(font);
}

// A text line of its own (titles, headings).
void TextLine(CPageWriter& page, QPainter& painter, const QString& text, int indent = 0) {
    const int top = page.Take(LineHeight(painter));
    painter.drawText(QRect(indent, top, page.Width() - indent, LineHeight(painter)),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
}

// The channel table: the number, then the model's columns in the order of its table.
class CCanalTable {
  public:
    CCanalTable(const SShownSet& set, QPainter& painter, int width) : painter_(painter) {
        for (int index = 0; index < kRadioCanalCount; ++index) {
            const auto& values = set.canals[static_cast<std::size_t>(index)];
            if (values.empty()) continue;
            if (headings_.empty()) {
                headings_.push_back(QStringLiteral("№"));
                for (const SShownValue& v : values) headings_.push_back(Q(v.caption));
            }
            std::vector<QString> row{QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'))};
            for (const SShownValue& v : values) row.push_back(Q(v.value));
            rows_.push_back(row);
        }
        Measure(width);
    }
    bool Empty() const { return rows_.empty(); }
    int Count() const { return static_cast<int>(rows_.size()); }

    void DrawHeadings(CPageWriter& page) {
        SetFont(painter_, true);
        int height = 0;
        for (std::size_t c = 0; c < headings_.size(); ++c)
            height = std::max(height, HeadingRect(c, 0).height());
        height += 2 * kCellPadding;
        const int top = page.Take(height);
        for (std::size_t c = 0; c < headings_.size(); ++c)
            painter_.drawText(QRect(left_[c] + kCellPadding, top + kCellPadding,
                                    widths_[c] - 2 * kCellPadding, height - 2 * kCellPadding),
                              Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, headings_[c]);
        painter_.setPen(QPen(Qt::black, 2));
        painter_.drawLine(0, top + height, Right(), top + height);
        painter_.setPen(Qt::black);
    }

    void DrawRows(CPageWriter& page) {
        for (const std::vector<QString>& row : rows_) {
            SetFont(painter_, false);
            const int height = LineHeight(painter_);
            const int top = page.Take(height);
            for (std::size_t c = 0; c < headings_.size(); ++c) {
                SetFont(painter_, c == 0);
                painter_.drawText(QRect(left_[c], top, widths_[c], height), Qt::AlignCenter,
                                  row[c]);
            }
            painter_.setPen(kRuleColor);
            painter_.drawLine(0, top + height, Right(), top + height);
            painter_.setPen(Qt::black);
        }
    }

  private:
    QRect HeadingRect(std::size_t c, int top) const {
        return painter_.fontMetrics().boundingRect(
            QRect(0, top, widths_[c] - 2 * kCellPadding, 10000),
            Qt::AlignHCenter | Qt::TextWordWrap, headings_[c]);
    }
    int Right() const { return left_.empty() ? 0 : left_.back() + widths_.back(); }

    // Each column as wide as its widest value and the longest word of its heading; what is
    // left of the page width is shared out evenly, a page too narrow squeezes them evenly.
    void Measure(int width) {
        const std::size_t n = headings_.size();
        widths_.assign(n, 0);
        for (std::size_t c = 0; c < n; ++c) {
            SetFont(painter_, true);
            for (const QString& word : headings_[c].split(QLatin1Char(' ')))
                widths_[c] = std::max(widths_[c], painter_.fontMetrics().horizontalAdvance(word));
            SetFont(painter_, c == 0);
            for (const std::vector<QString>& row : rows_)
                widths_[c] = std::max(widths_[c], painter_.fontMetrics().horizontalAdvance(row[c]));
            widths_[c] += 2 * kCellPadding;
        }
        int total = 0;
        for (const int w : widths_) total += w;
        const int n_ = static_cast<int>(n);
        for (int& w : widths_)
            w = total <= width ? w + (width - total) / std::max(1, n_) : w * width / total;
        left_.assign(n, 0);
        for (std::size_t c = 1; c < n; ++c) left_[c] = left_[c - 1] + widths_[c - 1];
    }

    QPainter& painter_;
    std::vector<QString> headings_;
    std::vector<std::vector<QString>> rows_;
    std::vector<int> widths_;
    std::vector<int> left_;
};

// The settings as a technician pins them up: the view's pages in turn, their groups, and each
// row's caption and value in two aligned columns.
void DrawSettings(const std::vector<SShownValue>& settings, CPageWriter& page, QPainter& painter) {
    const int width = page.Width();
    const int indent = width / 40;
    SetFont(painter, false);
    int captionWidth = 0;
    for (const SShownValue& v : settings)
        captionWidth =
            std::max(captionWidth, painter.fontMetrics().horizontalAdvance(Q(v.caption)));
    const int valueLeft = std::min(2 * indent + captionWidth + 4 * kCellPadding, width * 7 / 10);
    std::string pageName, group;
    for (const SShownValue& v : settings) {
        if (v.page != pageName) {
            pageName = v.page;
            group.clear();
            page.Gap(LineHeight(painter) / 2);
            page.KeepRoom(3 * LineHeight(painter));
            SetFont(painter, true, false, 10);
            TextLine(page, painter, Q(v.page));
        }
        if (v.group != group) {
            group = v.group;
            if (!group.empty()) {
                page.KeepRoom(2 * LineHeight(painter));
                SetFont(painter, true, true);
                TextLine(page, painter, Q(group), indent);
            }
        }
        SetFont(painter, false);
        const int rowIndent = group.empty() ? indent : 2 * indent;
        const QRect captionRect(rowIndent, 0, valueLeft - rowIndent - 2 * kCellPadding, 10000);
        const int height = std::max(painter.fontMetrics()
                                        .boundingRect(captionRect, Qt::TextWordWrap, Q(v.caption))
                                        .height(),
                                    painter.fontMetrics().height()) +
                           kCellPadding;
        const int top = page.Take(height);
        painter.drawText(captionRect.translated(0, top).adjusted(0, 0, 0, height - 10000),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, Q(v.caption));
        SetFont(painter, true);
        // The scrambler key and the keypad password stay off paper.
        const QString value = v.secret ? QStringLiteral("(не печатается)") : Q(v.value);
        painter.drawText(QRect(valueLeft, top, width - valueLeft, height),
                         Qt::AlignLeft | Qt::AlignVCenter, value);
        painter.setPen(QPen(kRuleColor, 1, Qt::DotLine));
        painter.drawLine(rowIndent, top + height, width, top + height);
        painter.setPen(Qt::black);
    }
}

bool DrawCanalList(QPagedPaintDevice& device, IRadio& radio) {
    CRadioData& data = RequireOwnRadioData(radio.Data());
    const SShownSet set = ShownSetOf(data);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    CPageWriter page(device, painter);

    SetFont(painter, true, false, 13);
    TextLine(page, painter, QStringLiteral("Параметры радиостанции ") + Q(radio.Name()));
    SetFont(painter, false);
    QString identity = QStringLiteral("Диапазон частот: ") + Q(data.RangeText());
    if (!radio.SerialNumber().empty())
        identity += QStringLiteral("    Заводской номер: ") + Q(radio.SerialNumber());
    identity +=
        QStringLiteral("    Дата: ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    TextLine(page, painter, identity);
    page.Gap(LineHeight(painter));

    CCanalTable table(set, painter, page.Width());
    SetFont(painter, true, false, 10);
    TextLine(page, painter, QStringLiteral("Рабочие каналы: %1").arg(table.Count()));
    if (!table.Empty()) {
        table.DrawHeadings(page);
        page.RepeatOnNewPage([&table, &page] { table.DrawHeadings(page); });
        table.DrawRows(page);
        page.RepeatOnNewPage({});
    }
    page.Gap(LineHeight(painter));
    DrawSettings(set.settings, page, painter);
    return painter.end();
}

}  // namespace

std::string PrintCanalList(IRadio& radio, const std::string& file) {
    // Drawn in memory first, then written like every other output: a failure never leaves the
    // previous list empty or cut.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Список каналов ") + Q(radio.Name()));
        if (!DrawCanalList(writer, radio)) return "Список каналов не удалось подготовить к печати";
    }
    const QByteArray& bytes = pdf.data();
    return WriteOutputFile(
        file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace interchange
