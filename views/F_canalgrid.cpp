#include "F_canalgrid.h"

#include "F_viewflags.h"
#include "U_channelops.h"
#include "Zvc_editor.h"
#include "Zvc_grid.h"
#include "Zvc_notice.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"

#include <QPainter>

#include <numeric>

namespace views {

namespace {

// The longest frequency a technician types: "1234,567890" or "145 012 500".
constexpr int kFrequencyEntryLength = 13;

// What a key types into a frequency entry, or nothing.
QChar EntryChar(int key, Qt::KeyboardModifiers shift) {
    if (shift & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return QChar('0' + (key - Qt::Key_0));
    if (key == Qt::Key_Period) return QLatin1Char('.');
    if (key == Qt::Key_Comma) return QLatin1Char(',');
    return {};
}

// Calls back when the watched widget is hidden (its page turned away, the view switched).
class THideHook final : public QObject {
  public:
    THideHook(QWidget* watched, std::function<void()> hidden)
        : QObject(watched), hidden_(std::move(hidden)) {
        watched->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Hide && hidden_) hidden_();
        return false;
    }

  private:
    std::function<void()> hidden_;
};

QString KilohertzText(int hz) {
    return QString::number(hz / 1000.0, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

}  // namespace

TCanalGrid::TCanalGrid(ZVCL::TZ_Grid& grid, ZVCL::TZVScrollBar& scrollBar, SViewFlags& flags,
                       SCanalGridModel model)
    : grid_(&grid), flags_(flags), model_(std::move(model)) {
    const int cols = static_cast<int>(model_.columns.size());
    grid.SetCols(cols);
    grid.SetRows(model_.canalCount + kHeaderRows);
    grid.SetFixedCols(1);
    grid.SetFixedRows(kHeaderRows);
    grid.SetDefRowHeight(kCanalRowHeight);
    for (int c = 0; c < cols; ++c)
        grid.SetColWidths(c, model_.columns[static_cast<size_t>(c)].width);
    grid.SetVScrollBar(&scrollBar);
    grid.SetCol(1);
    grid.SetRow(kHeaderRows);

    stc_ = new ZVCL::TZStatic(&grid);
    stc_->setObjectName("grd_stc");
    stc_->SetAlignment(ZVCL::ta_CenterCenter);
    stc_->hide();
    edt_ = new ZVCL::TZEditor(&grid);
    edt_->setObjectName("grd_edt");
    edt_->setAlignment(Qt::AlignCenter);
    edt_->SetAutoSelect(false);
    edt_->SetMaxLength(kFrequencyEntryLength);
    // Digits, the blanks between the groups, and a decimal point or comma for megahertz.
    edt_->OnKeyPress = [](QChar& ch) {
        if (ch.unicode() >= 32 && !ch.isDigit() && ch != QLatin1Char(' ') &&
            ch != QLatin1Char('.') && ch != QLatin1Char(','))
            ch = QChar();
    };
    edt_->hide();

    grid.OnDrawCell = [this](int col, int row, const QRect& rect, QPainter& p) {
        DrawCell(col, row, rect, p);
    };
    grid.OnAfterDrawGrid = [this](QPainter& p) { PaintHeader(*grid_, p, model_.header); };
    grid.OnHintCell = [this](int col, int row, QString& text) { text = HintOf(col, row); };
    grid.OnEditCellKey = [this](int col, int row, int key, Qt::KeyboardModifiers shift) {
        ActivateByKey(col, row, key, shift);
    };
    grid.OnMouseDown = [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        rowBeforePress_ = grid_->Row();
    };
    grid.OnClickCellMouse = [this](int col, int row, int, int, Qt::MouseButton button,
                                   Qt::KeyboardModifiers shift) {
        pressMarked_ = false;
        if (button != Qt::LeftButton || row < kHeaderRows) return;
        // A press on the number selects the row and puts the current cell beside it.
        if (col < grid_->FixedCols()) grid_->SetCol(grid_->FixedCols());
        MarkByMouse(row, shift);
    };
    grid.OnEditCellMouse = [this](int col, int row, int, int, Qt::MouseButton button,
                                  Qt::KeyboardModifiers) {
        if (button == Qt::LeftButton && !pressMarked_) ActivateByMouse(col, row);
    };
    grid.OnKeyDown = [this](int& key, Qt::KeyboardModifiers shift) { KeyDown(key, shift); };

    stc_->OnAdjustPullRect = [this](QRect& rect) {
        const int right =
            editCol_ >= 0 ? model_.columns[static_cast<size_t>(editCol_)].pullRight : 3;
        rect.adjust(-3, -3, right, 3);
    };
    stc_->OnHideImplant = [this] { CloseEditor(); };
    edt_->OnHideImplant = [this] { CloseEditor(); };
    stc_->OnKeyDown = [this](int& key, Qt::KeyboardModifiers shift) {
        if (PassToTable(key, shift, false)) key = 0;
    };
    edt_->OnKeyDown = [this](int& key, Qt::KeyboardModifiers shift) {
        if (PassToTable(key, shift, true)) {
            key = 0;
            return;
        }
        if (key != Qt::Key_Up && key != Qt::Key_Down) return;
        if (shift & (Qt::ShiftModifier | Qt::ControlModifier))
            StepFrequency(key == Qt::Key_Up ? +1 : -1);
        key = 0;
    };
    // An editor left open on a page turned away would keep the table shut.
    hideHook_ = new THideHook(&grid, [this] { CommitEditor(); });
    edt_->OnMouseWheelPlus = [this] { StepFrequency(+1); };
    edt_->OnMouseWheelMinus = [this] { StepFrequency(-1); };
}

TCanalGrid::~TCanalGrid() {
    delete hideHook_.data();
}

int TCanalGrid::TotalWidth() const {
    return std::accumulate(model_.columns.begin(), model_.columns.end(), 0,
                           [](int sum, const SCanalColumn& c) { return sum + c.width; });
}

void TCanalGrid::Refresh() {
    grid_->update();
    grid_->AdjustScroll();
}

std::set<int> TCanalGrid::Selection() const {
    if (!marked_.empty()) return marked_;
    return {CurrentCanal()};
}

void TCanalGrid::SelectCanals(const std::set<int>& canals) {
    marked_.clear();
    for (const int canal : canals)
        if (canal >= 0 && canal < model_.canalCount) marked_.insert(canal);
    if (!marked_.empty()) {
        anchor_ = *marked_.begin();
        grid_->SetRow(RowOfCanal(anchor_));
    }
    if (marked_.size() < 2) marked_.clear();
    grid_->update();
}

void TCanalGrid::MarkRange(int fromCanal, int toCanal) {
    marked_.clear();
    for (int c = std::min(fromCanal, toCanal); c <= std::max(fromCanal, toCanal); ++c)
        marked_.insert(c);
    grid_->update();
}

// Shift extends the marked channels from the last plain choice to the pressed row, Ctrl adds
// or removes one channel; either way the press does not act on the cell it hit.
void TCanalGrid::MarkByMouse(int row, Qt::KeyboardModifiers shift) {
    const int canal = CanalOfRow(row);
    const int before = rowBeforePress_ >= kHeaderRows ? CanalOfRow(rowBeforePress_) : canal;
    if (shift & Qt::ShiftModifier) {
        if (marked_.empty()) anchor_ = before;
        MarkRange(anchor_, canal);
        pressMarked_ = true;
    } else if (shift & Qt::ControlModifier) {
        if (marked_.empty()) marked_.insert(before);
        if (!marked_.erase(canal)) marked_.insert(canal);
        anchor_ = canal;
        pressMarked_ = true;
    } else {
        marked_.clear();
        anchor_ = canal;
    }
    grid_->update();
}

void TCanalGrid::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    if (OnTableKey && OnTableKey(key, shift)) {
        key = 0;
        return;
    }
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    if (vertical && (shift & Qt::ShiftModifier)) {
        if (marked_.empty()) anchor_ = CurrentCanal();
        grid_->SetRow(grid_->Row() + (key == Qt::Key_Up ? -1 : 1));
        MarkRange(anchor_, CurrentCanal());
        key = 0;
        return;
    }
    const bool navigation = vertical || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if (navigation && !marked_.empty()) {
        marked_.clear();
        grid_->update();
    }
    if (navigation) anchor_ = CurrentCanal();
}

void TCanalGrid::ActivateByKey(int col, int row, int key, Qt::KeyboardModifiers shift) {
    if (col < 0 || col >= static_cast<int>(model_.columns.size())) return;
    const TCellAction action = model_.columns[static_cast<size_t>(col)].action;
    const bool space = key == Qt::Key_Space;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool opens = action == TCellAction::List || action == TCellAction::Frequency;
    if ((space && action == TCellAction::Toggle) || (enter && opens)) {
        Activate(col, row);
        return;
    }
    // A technician types the frequency straight into the cell.
    if (const QChar typed = EntryChar(key, shift);
        !typed.isNull() && action == TCellAction::Frequency) {
        Activate(col, row);
        if (editCol_ == col && editRow_ == row) {
            edt_->setText(QString(typed));
            edt_->setCursorPosition(1);
        }
        return;
    }
    if (row < kHeaderRows || shift & (Qt::ControlModifier | Qt::AltModifier)) return;
    if (space && opens)
        Report(QStringLiteral("Пробел переключает отметки; значение этой ячейки меняет Enter"));
    else if (enter && action == TCellAction::Toggle)
        Report(QStringLiteral("Enter открывает списки и частоты; отметку переключает пробел"));
}

void TCanalGrid::SelectAll() {
    CommitEditor();
    std::set<int> all;
    for (int canal = 0; canal < model_.canalCount; ++canal) all.insert(canal);
    const int row = grid_->Row();
    SelectCanals(all);
    grid_->SetRow(row);
}

void TCanalGrid::Report(const QString& text) const {
    ZVCL::ShowStatusText(*grid_, text);
}

bool TCanalGrid::PassToTable(int key, Qt::KeyboardModifiers shift, bool lineEditor) {
    if (!IsTableKey || !IsTableKey(key, shift)) return false;
    if (lineEditor) {
        // What the frequency entry does itself: deleting and the text clipboard.
        const Qt::KeyboardModifiers mods =
            shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const bool ctrl = mods == Qt::ControlModifier;
        if ((key == Qt::Key_Delete && (mods == Qt::NoModifier || ctrl)) ||
            (ctrl &&
             (key == Qt::Key_C || key == Qt::Key_X || key == Qt::Key_V || key == Qt::Key_A)))
            return false;
    }
    CommitEditor();
    if (OnTableKey) OnTableKey(key, shift);
    return true;
}

void TCanalGrid::ActivateByMouse(int col, int row) {
    Activate(col, row);
}

QString TCanalGrid::Refusal(const SCanalColumn& column, int canal) const {
    if (canal < 0 || canal >= model_.canalCount || (model_.hasData && !model_.hasData()) ||
        column.action == TCellAction::None)
        return {};
    if (column.needsEnabled && !model_.enabled(canal))
        return QStringLiteral("Канал %1 выключен: включите его (столбец «Вкл»), чтобы изменить")
            .arg(CanalNumber(canal));
    if (column.allowed && !column.allowed(canal))
        return QStringLiteral(
            "Передача следует за приемом (знак «=»): снимите «=», чтобы задать ее отдельно");
    return {};
}

bool TCanalGrid::MayAct(const SCanalColumn& column, int canal) const {
    if (canal < 0 || canal >= model_.canalCount) return false;
    if (model_.hasData && !model_.hasData()) return false;
    if (column.needsEnabled && !model_.enabled(canal)) return false;
    return !column.allowed || column.allowed(canal);
}

void TCanalGrid::Activate(int col, int row) {
    if (col < 0 || col >= static_cast<int>(model_.columns.size()) || row < kHeaderRows) return;
    const SCanalColumn& column = model_.columns[static_cast<size_t>(col)];
    const int canal = CanalOfRow(row);
    if (flags_.editing) return;
    if (!MayAct(column, canal)) {
        if (const QString why = Refusal(column, canal); !why.isEmpty()) Report(why);
        return;
    }
    switch (column.action) {
        case TCellAction::Toggle:
            if (column.toggle) column.toggle(canal);
            grid_->update();
            break;
        case TCellAction::List:
            OpenList(col, row);
            break;
        case TCellAction::Frequency:
            OpenFrequency(col, row);
            break;
        case TCellAction::None:
            break;
    }
}

int TCanalGrid::StartEditing(int col, int row) {
    flags_.editing = true;
    editCol_ = col;
    editRow_ = row;
    grid_->repaint();
    return CanalOfRow(row);
}

void TCanalGrid::OpenList(int col, int row) {
    const SCanalColumn& column = model_.columns[static_cast<size_t>(col)];
    const int canal = StartEditing(col, row);
    stc_->SetList(column.list ? column.list(canal) : QStringList());
    stc_->SetText(column.text ? column.text(canal) : QString());
    const QRect cell = grid_->CellRect(col, row);
    if (!stc_->ShowImplant(cell.left() + 3, cell.top() + 3, cell.width() - 7, cell.height() - 6)) {
        flags_.editing = false;
        editCol_ = editRow_ = -1;
        return;
    }
    stc_->DropList();
}

void TCanalGrid::OpenFrequency(int col, int row) {
    const SCanalColumn& column = model_.columns[static_cast<size_t>(col)];
    const int canal = StartEditing(col, row);
    edt_->SetText(column.text ? column.text(canal) : QString());
    const QRect cell = grid_->CellRect(col, row);
    const int left = cell.left() + (cell.width() - kFrequencyEditorWidth) / 2;
    if (!edt_->ShowImplant(left, cell.top() + kFrequencyEditorTop, kFrequencyEditorWidth,
                           cell.height() - 2 * kFrequencyEditorTop + 1)) {
        flags_.editing = false;
        editCol_ = editRow_ = -1;
        return;
    }
    edt_->deselect();
    edt_->setCursorPosition(static_cast<int>(edt_->Text().size()));
}

void TCanalGrid::StepFrequency(int direction) {
    if (editCol_ < 0) return;
    const SCanalColumn& column = model_.columns[static_cast<size_t>(editCol_)];
    if (column.action != TCellAction::Frequency || !column.step) return;
    const int canal = CanalOfRow(editRow_);
    // Whatever the technician typed is stepped from where the cell would store it.
    const std::optional<int> typed = ReadFrequencyEntry(edt_->Text());
    const int from = typed ? (column.snap ? column.snap(*typed) : *typed)
                           : (column.frequency ? column.frequency(canal) : 0);
    edt_->SetText(column.step(canal, GroupedHz(from), direction));
    edt_->deselect();
    edt_->setCursorPosition(static_cast<int>(edt_->Text().size()));
}

void TCanalGrid::CloseEditor() {
    if (editCol_ < 0) return;
    const SCanalColumn& column = model_.columns[static_cast<size_t>(editCol_)];
    const int canal = CanalOfRow(editRow_);
    const QString text = column.action == TCellAction::Frequency ? edt_->Text() : stc_->Text();
    editCol_ = editRow_ = -1;
    if (column.store && MayAct(column, canal)) {
        if (column.action == TCellAction::Frequency)
            StoreFrequency(column, canal, text);
        else
            column.store(canal, text);
    }
    flags_.editing = false;
    grid_->setFocus(Qt::OtherFocusReason);
    grid_->update();
}

void TCanalGrid::StoreFrequency(const SCanalColumn& column, int canal, const QString& text) {
    const std::optional<int> typed = ReadFrequencyEntry(text);
    if (!typed) {
        QString kept;
        if (column.frequency)
            kept = QStringLiteral(": оставлено %1 МГц").arg(MegahertzText(column.frequency(canal)));
        Report(QStringLiteral("Частота «%1» не распознана").arg(text.trimmed()) + kept);
        return;
    }
    const int snapped = column.snap ? column.snap(*typed) : *typed;
    column.store(canal, GroupedHz(snapped));
    if (!column.frequency) return;
    // The setters keep clamping and rounding without a question; the user learns what was kept.
    const int stored = column.frequency(canal);
    if (snapped != *typed)
        Report(QStringLiteral("Частота ограничена диапазоном: %1 МГц").arg(MegahertzText(stored)));
    else if (stored != *typed)
        Report(QStringLiteral("Частота приведена к сетке %1 кГц: %2 МГц")
                   .arg(KilohertzText(column.stepOf ? column.stepOf(canal) : 0),
                        MegahertzText(stored)));
}

void TCanalGrid::CommitEditor() {
    if (editCol_ < 0 || !edt_ || !stc_) return;
    if (model_.columns[static_cast<size_t>(editCol_)].action == TCellAction::Frequency)
        edt_->HideImplant();
    else
        stc_->HideImplant();
}

void TCanalGrid::CancelEditor() {
    if (editCol_ < 0) return;
    const bool frequency =
        model_.columns[static_cast<size_t>(editCol_)].action == TCellAction::Frequency;
    // Without an edited cell, the close that hiding the implant brings stores nothing.
    editCol_ = editRow_ = -1;
    if (frequency)
        edt_->HideImplant();
    else
        stc_->HideImplant();
    flags_.editing = false;
    grid_->setFocus(Qt::OtherFocusReason);
    grid_->update();
}

void TCanalGrid::DrawCell(int col, int row, const QRect& rect, QPainter& p) {
    if (row < kHeaderRows) return;  // the header is painted over the whole grid afterwards
    const int canal = CanalOfRow(row);
    const bool data = !model_.hasData || model_.hasData();
    const bool enabled = data && model_.enabled(canal);
    if (col == 0) {
        PaintNumberCell(p, rect, QStringLiteral("%1").arg(canal, 2, 10, QLatin1Char('0')), enabled);
        return;
    }
    const SCanalColumn& column = model_.columns[static_cast<size_t>(col)];
    const bool active = grid_->hasFocus();
    const bool currentRow = row == grid_->Row();
    const bool currentCell = currentRow && col == grid_->Col();
    SCellLook look;
    // Marked channels look like the current row, so that the user sees what an operation takes.
    look.fill = IsMarked(canal)
                    ? CanalCellFill(row, false, true, true, false)
                    : CanalCellFill(row, currentCell, currentRow, active, flags_.editing);
    look.enabled = enabled;
    if (data && column.text) look.text = column.text(canal);
    if (data && column.image)
        look.image =
            column.dottedWhenDisabled ? TickFor(column.image(canal), enabled) : column.image(canal);
    if (currentCell && (active || flags_.editing))
        look.mark = SCellLook::Frame;
    else if (!flags_.editing && col == grid_->HotCol() && row == grid_->HotRow())
        look.mark = SCellLook::Corners;
    PaintCanalCell(p, rect, look);
}

QString TCanalGrid::HintOf(int col, int row) const {
    if (row >= kHeaderRows || col < 0 || col >= static_cast<int>(model_.columns.size())) return {};
    const SCanalColumn& column = model_.columns[static_cast<size_t>(col)];
    return (column.hintRows & (1 << row)) ? column.hint : QString();
}

}  // namespace views
