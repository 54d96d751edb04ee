#include "F_canaledit.h"

#include "F_canalgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>

#include "Zvc_grid.h"
#include "Zvc_notice.h"

namespace views {

// ---- fill dialog ----------------------------------------------------------------------------

TFillDialog::TFillDialog(const QStringList& tones, QWidget* parent)
    : QDialog(parent),
      edt_Start(new QLineEdit(this)),
      edt_Step(new QLineEdit(QStringLiteral("12,5"), this)),
      chk_Tones(new QCheckBox(QStringLiteral("Одинаковые тоны во всех каналах"), this)),
      stc_RxTone(new QComboBox(this)),
      stc_TxTone(new QComboBox(this)) {
    setObjectName(QStringLiteral("frm_Fill"));
    setWindowTitle(QStringLiteral("Заполнить каналы"));
    edt_Start->setObjectName(QStringLiteral("edt_Start"));
    edt_Step->setObjectName(QStringLiteral("edt_Step"));
    chk_Tones->setObjectName(QStringLiteral("chk_Tones"));
    stc_RxTone->setObjectName(QStringLiteral("stc_RxTone"));
    stc_TxTone->setObjectName(QStringLiteral("stc_TxTone"));
    stc_RxTone->addItems(tones);
    stc_TxTone->addItems(tones);
    stc_RxTone->setEnabled(false);
    stc_TxTone->setEnabled(false);
    connect(chk_Tones, &QCheckBox::toggled, stc_RxTone, &QWidget::setEnabled);
    connect(chk_Tones, &QCheckBox::toggled, stc_TxTone, &QWidget::setEnabled);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Начальная частота, Гц или МГц:"), edt_Start);
    form->addRow(QStringLiteral("Шаг, кГц:"), edt_Step);
    form->addRow(chk_Tones);
    form->addRow(QStringLiteral("Тон приема:"), stc_RxTone);
    form->addRow(QStringLiteral("Тон передачи:"), stc_TxTone);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Заполнить"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void TFillDialog::SetStart(int hz) {
    edt_Start->setText(GroupedHz(hz));
}

bool TFillDialog::Values(int& startHz, int& stepHz,
                         std::optional<std::pair<QString, QString>>& tones) const {
    bool okStep = false;
    // The start is typed as in the table: hertz, or megahertz with a decimal point or comma.
    const std::optional<int> start = ReadFrequencyEntry(edt_Start->text());
    const bool okStart = start.has_value();
    startHz = start.value_or(0);
    // The step is typed in kHz with a decimal comma, as the step list shows it.
    const double kHz =
        edt_Step->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&okStep);
    stepHz = static_cast<int>(kHz * 1000.0 + (kHz < 0 ? -0.5 : 0.5));
    tones.reset();
    if (chk_Tones->isChecked())
        tones = std::make_pair(stc_RxTone->currentText(), stc_TxTone->currentText());
    return okStart && okStep && startHz > 0 && kHz > -1e6 && kHz < 1e6;
}

// ---- channel editing ------------------------------------------------------------------------

TCanalEditing::TCanalEditing(TCanalGrid& grid, std::unique_ptr<ICanalAccess> access, QString model,
                             std::function<void()> refresh)
    : grid_(grid),
      access_(std::move(access)),
      model_(std::move(model)),
      refresh_(std::move(refresh)),
      // A child of the grid, so that the window's Правка menu finds its commands in the view.
      menu_(new QMenu(&grid.Grid())) {
    confirm = [this](const QString& question) {
        return QMessageBox::question(grid_.Grid().window(), grid_.Grid().window()->windowTitle(),
                                     question) == QMessageBox::Yes;
    };
    runFill = [](TFillDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    grid_.OnTableKey = [this](int key, Qt::KeyboardModifiers shift) { return Key(key, shift); };
    grid_.IsTableKey = [this](int key, Qt::KeyboardModifiers shift) {
        return static_cast<bool>(CommandOf(key, shift));
    };

    menu_->setObjectName(QStringLiteral("mnu_Canals"));
    const auto add = [this](const char* caption, const char* name, QKeySequence key, auto act) {
        QAction* action = menu_->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);  // the grid's own keys do the work
        QObject::connect(action, &QAction::triggered, menu_.data(), act);
    };
    add("Копировать", "act_CopyCanals", QKeySequence(Qt::CTRL | Qt::Key_C), [this] { Copy(); });
    add("Вырезать", "act_CutCanals", QKeySequence(Qt::CTRL | Qt::Key_X), [this] { Cut(); });
    add("Вставить", "act_PasteCanals", QKeySequence(Qt::CTRL | Qt::Key_V), [this] { Paste(); });
    menu_->addSeparator();
    add("Вставить пустой канал", "act_InsertCanal", QKeySequence(Qt::Key_Insert),
        [this] { InsertCanal(); });
    add("Удалить каналы", "act_DeleteCanals", QKeySequence(Qt::Key_Delete),
        [this] { DeleteCanals(); });
    add("Переместить вверх", "act_MoveUp", QKeySequence(Qt::ALT | Qt::Key_Up),
        [this] { Move(-1); });
    add("Переместить вниз", "act_MoveDown", QKeySequence(Qt::ALT | Qt::Key_Down),
        [this] { Move(+1); });
    menu_->addSeparator();
    add("Заполнить каналы…", "act_FillCanals", QKeySequence(), [this] { Fill(); });
    add("Очистить каналы", "act_ClearCanals", QKeySequence(Qt::CTRL | Qt::Key_Delete),
        [this] { Clear(); });
    menu_->addSeparator();
    add("Выделить все каналы", "act_SelectAllCanals", QKeySequence(Qt::CTRL | Qt::Key_A),
        [this] { SelectAll(); });

    ZVCL::TZ_Grid& g = grid_.Grid();
    g.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&g, &QWidget::customContextMenuRequested, menu_.data(),
                     [this](const QPoint& at) {
                         if (Usable()) menu_->popup(grid_.Grid().mapToGlobal(at));
                     });
}

TCanalEditing::~TCanalEditing() {
    delete menu_.data();
    grid_.OnTableKey = nullptr;
    grid_.IsTableKey = nullptr;
}

bool TCanalEditing::Usable() const {
    const SCanalGridModel& model = grid_.Model();
    if (model.hasData && !model.hasData()) return false;
    ZVCL::TZ_Grid& g = grid_.Grid();
    if (!g.isEnabled()) {
        grid_.Report(QStringLiteral("Идет обмен с радиостанцией: каналы изменить нельзя"));
        return false;
    }
    if (!g.isVisible()) {
        grid_.Report(QStringLiteral(
            "Команды над каналами действуют на вкладке «Параметры каналов» (Ctrl+Tab)"));
        return false;
    }
    return true;
}

void TCanalEditing::Begin(const QString& stepName) {
    grid_.CommitEditor();
    ZVCL::AnnounceEditStep(grid_.Grid(), stepName);
}

namespace {

// "канала 04" or "каналов 03–05": the channels an operation names.
QString OfCanals(const std::set<int>& canals) {
    return (canals.size() == 1 ? QStringLiteral("канала ") : QStringLiteral("каналов ")) +
           CanalsText(canals);
}

}  // namespace

std::function<void()> TCanalEditing::CommandOf(int key, Qt::KeyboardModifiers shift) {
    const Qt::KeyboardModifiers mods =
        shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    struct SShortcut {
        Qt::KeyboardModifiers mods;
        int key;
        void (*act)(TCanalEditing&);
    };
    static constexpr SShortcut kShortcuts[] = {
        {Qt::ControlModifier, Qt::Key_C, [](TCanalEditing& e) { e.Copy(); }},
        {Qt::ControlModifier, Qt::Key_X, [](TCanalEditing& e) { e.Cut(); }},
        {Qt::ControlModifier, Qt::Key_V, [](TCanalEditing& e) { e.Paste(); }},
        {Qt::NoModifier, Qt::Key_Insert, [](TCanalEditing& e) { e.InsertCanal(); }},
        {Qt::NoModifier, Qt::Key_Delete, [](TCanalEditing& e) { e.DeleteCanals(); }},
        {Qt::ControlModifier, Qt::Key_Delete, [](TCanalEditing& e) { e.Clear(); }},
        {Qt::AltModifier, Qt::Key_Up, [](TCanalEditing& e) { e.Move(-1); }},
        {Qt::AltModifier, Qt::Key_Down, [](TCanalEditing& e) { e.Move(+1); }},
        {Qt::ControlModifier, Qt::Key_A, [](TCanalEditing& e) { e.SelectAll(); }},
    };
    for (const SShortcut& shortcut : kShortcuts)
        if (mods == shortcut.mods && key == shortcut.key)
            return [this, act = shortcut.act] { act(*this); };
    return {};
}

bool TCanalEditing::Key(int key, Qt::KeyboardModifiers shift) {
    const std::function<void()> act = CommandOf(key, shift);
    if (!act) return false;
    act();
    return true;
}

void TCanalEditing::Done(const SEditReport& report) {
    if (refresh_) refresh_();
    grid_.Refresh();
    if (const QString text = report.Text(); !text.isEmpty()) grid_.Report(text);
}

void TCanalEditing::Copy() {
    if (!Usable()) return;
    grid_.CommitEditor();
    std::vector<SNumberedCanal> canals;
    const std::set<int> selection = grid_.Selection();
    for (const int canal : selection) canals.push_back({canal, access_->Get(canal)});
    const QString text = CanalsToText(canals);
    auto* mime = new QMimeData;  // the clipboard owns it
    mime->setText(text);
    mime->setData(QString::fromUtf8(kCanalMimeType),
                  (model_ + QStringLiteral("\n") + text).toUtf8());
    QGuiApplication::clipboard()->setMimeData(mime);
    grid_.Report(QStringLiteral("Скопировано каналов: %1 (%2)")
                     .arg(selection.size())
                     .arg(CanalsText(selection)));
}

void TCanalEditing::Cut() {
    if (!Usable()) return;
    const std::set<int> selection = grid_.Selection();
    Copy();
    ClearCanals(QStringLiteral("вырезание "), selection);
}

void TCanalEditing::Paste() {
    if (!Usable()) return;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QString text;
    if (mime && mime->hasFormat(QString::fromUtf8(kCanalMimeType))) {
        text = QString::fromUtf8(mime->data(QString::fromUtf8(kCanalMimeType)));
        text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
    } else if (mime) {
        text = mime->text();
    }
    const std::vector<SNumberedCanal> canals = CanalsFromText(text);
    if (canals.empty()) {
        grid_.Report(QStringLiteral("В буфере обмена нет каналов для вставки"));
        return;
    }
    const int first = *grid_.Selection().begin();
    std::set<int> target;
    for (int i = 0; i < static_cast<int>(canals.size()) && first + i < access_->Count(); ++i)
        target.insert(first + i);
    Begin(QStringLiteral("вставка из буфера в ") +
          (target.size() == 1 ? QStringLiteral("канал ") : QStringLiteral("каналы ")) +
          CanalsText(target));
    Done(CCanalTable(*access_).Paste(first, canals));
}

void TCanalEditing::InsertCanal() {
    if (!Usable()) return;
    grid_.CommitEditor();
    const int canal = grid_.CurrentCanal();
    CCanalTable table(*access_);
    if (table.InsertLosesCanal(canal)) {
        const int last = access_->RunLimit() > 0 ? access_->RunLimit() - 1 : access_->Count() - 1;
        const QString question = QStringLiteral("Канал %1 включен и будет потерян. Вставить канал?")
                                     .arg(CanalNumber(last));
        if (!confirm || !confirm(question)) return;
    }
    Begin(QStringLiteral("вставка ") + OfCanals({canal}));
    table.Insert(canal);
    Done();
}

void TCanalEditing::DeleteCanals() {
    if (!Usable()) return;
    const std::set<int> selection = grid_.Selection();
    Begin(QStringLiteral("удаление ") + OfCanals(selection));
    CCanalTable(*access_).Delete(selection);
    grid_.SelectCanals({*selection.begin()});
    Done();
}

void TCanalEditing::Move(int direction) {
    if (!Usable()) return;
    const std::set<int> selection = grid_.Selection();
    Begin(QStringLiteral("перемещение ") + OfCanals(selection) +
          (direction < 0 ? QStringLiteral(" вверх") : QStringLiteral(" вниз")));
    const std::set<int> moved = CCanalTable(*access_).Move(selection, direction);
    grid_.SelectCanals(moved);
    if (moved == selection)
        grid_.Report(direction < 0 ? QStringLiteral("Выше перемещать некуда")
                                   : QStringLiteral("Ниже перемещать некуда"));
    Done();
}

void TCanalEditing::Clear() {
    if (!Usable()) return;
    ClearCanals(QStringLiteral("очистка "), grid_.Selection());
}

void TCanalEditing::ClearCanals(const QString& stepName, const std::set<int>& canals) {
    Begin(stepName + OfCanals(canals));
    CCanalTable(*access_).Clear(canals);
    Done();
}

void TCanalEditing::Fill() {
    if (!Usable()) return;
    grid_.CommitEditor();
    const std::set<int> selection = grid_.Selection();
    TFillDialog dialog(access_->ToneNames(), grid_.Grid().window());
    dialog.setWindowTitle(QStringLiteral("Заполнить каналы"));
    const SCanalRecord first = access_->Get(*selection.begin());
    dialog.SetStart(first.enabled ? first.rx : access_->SnapFrequency(0));
    if (!runFill || !runFill(dialog)) return;
    int start = 0, step = 0;
    std::optional<std::pair<QString, QString>> tones;
    if (!dialog.Values(start, step, tones)) {
        grid_.Report(
            QStringLiteral("Каналы не заполнены: начальная частота или шаг не распознаны"));
        return;
    }
    Begin(QStringLiteral("заполнение ") + OfCanals(selection));
    Done(CCanalTable(*access_).Fill(selection, start, step, tones));
}

void TCanalEditing::SelectAll() {
    if (!Usable()) return;
    grid_.SelectAll();
}

}  // namespace views
