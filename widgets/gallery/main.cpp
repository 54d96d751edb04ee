// tessel-gallery: every widget of the kit with sample data, to look at the kit as a whole.
// --quit-after MS closes it after MS milliseconds (for screenshots).
#include "Zvc_access.h"
#include "Zvc_editor.h"
#include "Zvc_grid.h"
#include "Zvc_hint.h"
#include "Zvc_knob.h"
#include "Zvc_label.h"
#include "Zvc_main.h"
#include "Zvc_panel.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>

#include <array>

using namespace ZVCL;

namespace {

QStringList SquelchLevels() {
    QStringList levels = {QStringLiteral("(шумоподавитель выключен)")};
    for (int level = 0; level < 8; ++level) levels << QStringLiteral("Уровень %1").arg(level);
    return levels;
}
const QStringList kOnOff = {"Вкл", "Выкл"};
const QStringList kTones = {"(нет)", "67,0",  "69,3",  "71,9",  "74,4",  "77,0",
                            "79,7",  "82,5",  "85,4",  "88,5",  "91,5",  "94,8",
                            "97,4",  "100,0", "103,5", "107,2", "110,9", "114,8"};
const QStringList kRadios = {"Ольха-1", "Береза-2", "Кедр-2", "Лиственница"};

constexpr int kRowHeight = 23;
const std::array<int, 8> kChannelWidths = {30, 35, 130, 41, 130, 90, 40, 90};

QString FreqText(int hz) {
    const QString digits = QStringLiteral("%1").arg(hz, 9, 10, QLatin1Char('0'));
    return digits.left(3) + ' ' + digits.mid(3, 3) + ' ' + digits.right(3);
}

void DrawTick(QPainter& p, const QRect& cell, bool ticked) {
    const QRect box(cell.center().x() - 6, cell.center().y() - 6, 12, 12);
    p.setPen(QColor(135, 130, 120));
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (!ticked) return;
    p.setPen(QPen(QColor(0, 0, 0), 2));
    p.drawLine(box.left() + 2, box.center().y(), box.center().x() - 1, box.bottom() - 2);
    p.drawLine(box.center().x() - 1, box.bottom() - 2, box.right() - 2, box.top() + 2);
}

void DrawCorners(QPainter& p, const QRect& r, const QColor& color) {
    p.setPen(color);
    const int w = r.width();
    const int h = r.height();
    const QPoint o = r.topLeft();
    const auto line = [&](int x1, int y1, int x2, int y2) {
        p.drawLine(o + QPoint(x1, y1), o + QPoint(x2, y2));
    };
    line(1, 5, 1, 1);
    line(1, 1, 6, 1);
    line(w - 6, 1, w - 2, 1);
    line(w - 2, 1, w - 2, 6);
    line(w - 2, h - 6, w - 2, h - 2);
    line(w - 2, h - 2, w - 7, h - 2);
    line(5, h - 2, 1, h - 2);
    line(1, h - 2, 1, h - 7);
}

// A channel table in the style of the radio views: merged header, zebra rows, ticks.
TZ_Grid* MakeChannelGrid(QWidget* parent, TZVScrollBar* bar) {
    auto* grid = new TZ_Grid(parent);
    grid->SetCols(static_cast<int>(kChannelWidths.size()));
    grid->SetRows(2 + 100);
    grid->SetFixedCols(1);
    grid->SetFixedRows(2);
    grid->SetDefRowHeight(kRowHeight);
    for (size_t c = 0; c < kChannelWidths.size(); ++c)
        grid->SetColWidths(static_cast<int>(c), kChannelWidths[c]);
    grid->SetVScrollBar(bar);
    grid->OnDrawCell = [grid](int col, int row, const QRect& cell, QPainter& p) {
        if (row < 2) return;  // the header is drawn over the whole area afterwards
        const int channel = row - 2;
        const bool enabled = channel % 7 != 3;
        if (col == 0) {
            QLinearGradient shade(cell.topLeft(), cell.bottomLeft());
            shade.setColorAt(0, QColor(230, 225, 215));
            shade.setColorAt(1, QColor(210, 205, 195));
            p.fillRect(cell, shade);
            p.setPen(QColor(135, 130, 120));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
            p.setFont(TahomaFont(12, true));
            p.setPen(enabled ? QColor(0, 0, 0) : QColor(135, 130, 120));
            p.drawText(cell, Qt::AlignCenter, QStringLiteral("%1").arg(channel, 2, 10, QChar('0')));
            return;
        }
        const bool currentRow = row == grid->Row() && grid->hasFocus();
        QColor fill = row % 2 ? QColor(255, 250, 240) : QColor(251, 246, 236);
        if (currentRow) fill = QColor(235, 230, 220);
        p.fillRect(cell, fill);
        p.setPen(QColor(215, 210, 200));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.setPen(enabled ? QColor(0, 0, 0) : QColor(195, 190, 180));
        const int freq = 145000000 + channel * 12500;
        switch (col) {
            case 1:
                DrawTick(p, cell, enabled);
                break;
            case 2:
            case 4:
                p.drawText(cell, Qt::AlignCenter, FreqText(freq));
                break;
            case 3:
            case 6:
                DrawTick(p, cell, channel % 2 == 0);
                break;
            default:
                p.drawText(cell, Qt::AlignCenter, kTones[channel % kTones.size()]);
                break;
        }
        const QColor highlight = grid->palette().color(QPalette::Highlight);
        if (currentRow && col == grid->Col()) {
            p.setPen(highlight);
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell.adjusted(1, 1, -2, -2));
        } else if (col == grid->HotCol() && row == grid->HotRow()) {
            DrawCorners(p, cell, highlight);
        }
    };
    grid->OnAfterDrawGrid = [grid](QPainter& p) {
        const QRect first = grid->CellRect(0, 0);
        const int headerHeight = 2 * kRowHeight;
        QLinearGradient shade(0, 0, 0, headerHeight);
        shade.setColorAt(0, QColor(230, 225, 215));
        shade.setColorAt(1, QColor(210, 205, 195));
        p.fillRect(QRect(0, 0, grid->width(), headerHeight), shade);
        p.setFont(ArialFont(12));
        const auto block = [&](int fromCol, int toCol, int fromRow, int toRow,
                               const QString& text) {
            const QRect a = grid->CellRect(fromCol, fromRow);
            const QRect b = grid->CellRect(toCol, toRow);
            if (a.isEmpty() || b.isEmpty()) return;
            const QRect r = a.united(b);
            p.setPen(QColor(135, 130, 120));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            p.setPen(QColor(0, 0, 0));
            p.drawText(r, Qt::AlignCenter, text);
        };
        Q_UNUSED(first);
        block(0, 0, 0, 1, "№");
        block(1, 1, 0, 1, "Вкл");
        block(2, 4, 0, 0, "Частота, Гц");
        block(2, 2, 1, 1, "ПРМ");
        block(3, 3, 1, 1, "=");
        block(4, 4, 1, 1, "ПРД");
        block(5, 7, 0, 0, "CTCSS тон, Гц");
        block(5, 5, 1, 1, "ПРМ");
        block(6, 6, 1, 1, "=");
        block(7, 7, 1, 1, "ПРД");
    };
    grid->OnHintCell = [](int col, int row, QString& text) {
        if (row == 1 && col == 2)
            text = "Частота приема\n(устанавливается из допустимого диапазона частот)";
    };
    return grid;
}

// The radio list of the main window: one column, the current radio bold.
TZ_Grid* MakeRadioList(QWidget* parent) {
    auto* list = new TZ_Grid(parent);
    list->SetCols(1);
    list->SetRows(static_cast<int>(kRadios.size()));
    list->SetFixedCols(0);
    list->SetFixedRows(0);
    list->SetColWidths(0, 149);
    list->SetDefRowHeight(kRowHeight);
    list->OnDrawCell = [list](int, int row, const QRect& cell, QPainter& p) {
        p.fillRect(cell, QColor(255, 250, 240));
        if (row == list->Row())
            p.fillRect(cell.adjusted(1, 1, -2, -2), list->palette().color(QPalette::Highlight));
        p.setPen(QPen(QColor(230, 225, 215), 1, Qt::DotLine));
        p.drawLine(cell.left() + 4, cell.top() + 22, cell.left() + 145, cell.top() + 22);
        p.setFont(TahomaFont(12, row == 0));
        p.setPen(row == list->Row() ? Qt::white : Qt::black);
        p.drawText(cell.adjusted(1, 0, -1, -1), Qt::AlignVCenter,
                   " " + kRadios[row] + (row == 1 ? " *" : ""));
    };
    return list;
}

TZLabel* AddRow(QWidget* parent, int top, const QString& caption, QWidget* editor, TZKnob* knob) {
    auto* row = new TZLabel(parent);
    row->setGeometry(8, top, 520, kRowHeight);
    row->SetLabelText(caption);
    row->SetLabelWidth(350);
    row->SetEditor(editor, knob);
    return row;
}

TZKnob* DropKnob(QWidget* focusing) {
    auto* knob = new TZKnob;
    knob->SetGlyphKind(gk_ArrowDown);
    knob->SetDropDown(true);
    knob->SetFocusing(focusing);
    return knob;
}

// A list cell as the parameter pages show one: its text at the left after a small indent.
TZStatic* ListCell(const QStringList& list, const QString& text) {
    auto* cell = new TZStatic;
    cell->SetList(list);
    cell->SetText(text);
    cell->SetAlignment(ta_LeftCenter);
    cell->SetIndents(4, 0, 0, 0);
    return cell;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallAccessibility();
    QApplication::setFont(TahomaFont(12));
    QWidget window;
    window.setWindowTitle("Tessel widget kit");
    window.resize(1240, 760);
    TZApplicationHints hints(&window);

    auto* back = new TZPanel(&window);
    back->setGeometry(0, 0, 1240, 760);
    back->SetColor(QColor(235, 230, 220));

    // Editor rows, as on the parameter pages.
    auto* pagePanel = new TZPanel(back);
    pagePanel->setGeometry(10, 10, 540, 250);
    pagePanel->SetColor(QColor(255, 250, 240));
    auto* squelch = ListCell(SquelchLevels(), "Уровень 3");
    AddRow(pagePanel, 8, " Порог срабатывания шумоподавителя:", squelch, DropKnob(squelch))
        ->SetHint(
            "Порог срабатывания шумоподавителя, устанавливается в зависимости от помеховой "
            "обстановки");
    auto* light = ListCell(kOnOff, "Вкл");
    AddRow(pagePanel, 36, " Подсветка индикатора и клавиатуры:", light, DropKnob(light));
    auto* tone = new TZEditor;
    tone->SetList({"1450", "2100"});
    tone->SetMaxLength(4);
    tone->SetText("1450");
    tone->OnKeyPress = [](QChar& ch) {
        if (ch.unicode() >= 32 && !ch.isDigit()) ch = QChar();
    };
    AddRow(pagePanel, 64, " Частота вызывного тона, Гц:", tone, DropKnob(tone));
    auto* freq = new TZEditor;
    freq->SetEditMask("199 999 9\\0\\0;_");
    freq->SetText("145 012 500");
    AddRow(pagePanel, 92, " Частота приема (маска):", freq, nullptr);
    auto* password = new TZEditor;
    password->SetEditMask("9999;0");
    password->SetText("0712");
    AddRow(pagePanel, 120, " Пароль на изменение параметров:", password, nullptr);
    auto* keyRow = new TZLabel(pagePanel);
    keyRow->setGeometry(8, 148, 520, kRowHeight);
    keyRow->SetLabelText(" Ключ, шестнадцатеричный формат:");
    keyRow->SetLabelWidth(250);
    for (int i = 0; i < 8; ++i) {
        auto* byte = new TZEditor(keyRow);
        byte->SetEditMask("NN; ");
        byte->SetText(QStringLiteral("%1").arg((i * 37 + 11) & 0xFF, 2, 16, QChar('0')).toUpper());
        byte->setGeometry(253 + i * 32 + (i / 4) * 8, 3, 24, 17);
        byte->setAlignment(Qt::AlignCenter);
    }
    auto* disabled = ListCell(kOnOff, "Выкл");
    auto* disabledRow =
        AddRow(pagePanel, 176, " Недоступный параметр:", disabled, DropKnob(disabled));
    disabledRow->setEnabled(false);
    auto* opened = ListCell(kTones, "71,9");
    AddRow(pagePanel, 210, " Приемный тон CTCSS (открытый список):", opened, DropKnob(opened));

    // Panels with different margins, knobs and a free scroll bar.
    auto* kitPanel = new TZPanel(back);
    kitPanel->setGeometry(10, 560, 540, 190);
    kitPanel->SetColor(QColor(255, 250, 240));
    for (int i = 0; i < 3; ++i) {
        auto* sample = new TZPanel(kitPanel);
        sample->setGeometry(10 + i * 110, 10, 100, 60);
        sample->SetBoundSize(4 * i + 1);
        sample->SetBounds(true, i != 1, true, i != 2);
        auto* text = new TZStatic(sample);
        text->setGeometry(sample->ChildArea());
        text->SetColor(sample->Color());
        text->SetAlignment(i == 0 ? ta_LeftTop : i == 1 ? ta_CenterCenter : ta_RightBottom);
        text->SetText(i == 0 ? "Панель" : i == 1 ? "По центру" : "Справа внизу");
        text->SetTabStop(false);
    }
    const std::array<TGlyphKind, 3> glyphs = {gk_ArrowUp, gk_ArrowDown, gk_None};
    for (int i = 0; i < 3; ++i) {
        auto* knob = new TZKnob(kitPanel);
        knob->setGeometry(350 + i * 22, 20, 16, 16);
        knob->SetGlyphKind(glyphs[i]);
    }
    auto* wrapped = new TZStatic(kitPanel);
    wrapped->setGeometry(10, 80, 320, 60);
    wrapped->SetWordWarp(true);
    wrapped->SetIndents(4, 4, 4, 4);
    wrapped->SetText(
        "Выбор каналов, включаемых в список сканируемых; текст переносится по словам.");
    auto* freeBar = new TZVScrollBar(kitPanel);
    freeBar->setGeometry(510, 10, 18, 170);
    freeBar->SetPageSize(10);
    freeBar->SetScroll(0, 40, 12);

    // The channel table with its scroll bar, and the radio list.
    auto* gridPanel = new TZPanel(back);
    gridPanel->setGeometry(560, 10, 600 + 18 + 2, 420);
    auto* bar = new TZVScrollBar(gridPanel);
    auto* grid = MakeChannelGrid(gridPanel, bar);
    grid->setGeometry(1, 1, 600, 418);
    bar->setGeometry(601, 1, 18, 418);
    grid->AdjustScroll();

    auto* listPanel = new TZPanel(back);
    listPanel->setGeometry(560, 450, 151, 4 * kRowHeight + 2);
    auto* radios = MakeRadioList(listPanel);
    radios->setGeometry(1, 1, 149, 4 * kRowHeight);

    TZHintWindow sampleHint(&window);
    window.show();
    grid->setFocus();
    grid->SetRow(4);
    grid->SetCol(2);

    // Show the pop-up list and a hint at once, so one picture holds them.
    QTimer::singleShot(300, &window, [&] {
        opened->setFocus();
        opened->DropList();
        sampleHint.ActivateHint(
            window.mapToGlobal(QPoint(740, 600)),
            "Порог срабатывания шумоподавителя, устанавливается в зависимости от помеховой "
            "обстановки\n(выбирается из 8 предложенных уровней: 0 - минимальный уровень, 7 - "
            "максимальный уровень)");
    });
    const QStringList args = QApplication::arguments();
    const qsizetype quitAt = args.indexOf("--quit-after");
    if (quitAt >= 0 && quitAt + 1 < args.size())
        QTimer::singleShot(args[quitAt + 1].toInt(), &app, &QApplication::quit);
    return QApplication::exec();
}
