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
#include <QStatusTipEvent>

#include "Zvc_grid.h"

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
    form->addRow(QStringLiteral("Начальная частота, Гц:"), edt_Start);
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
    bool okStart = false, okStep = false;
    startHz = edt_Start->text().remove(QLatin1Char(' ')).toInt(&okStart);
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
      menu_(std::make_unique<QMenu>()) {
    confirm = [this](const QString& question) {
        return QMessageBox::question(grid_.Grid().window(), grid_.Grid().window()->windowTitle(),
                                     question) == QMessageBox::Yes;
    };
    runFill = [](TFillDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    grid_.OnTableKey = [this](int key, Qt::KeyboardModifiers shift) { return Key(key, shift); };

    menu_->setObjectName(QStringLiteral("mnu_Canals"));
    const auto add = [this](const char* caption, const char* name, QKeySequence key, auto act) {
        QAction* action = menu_->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);  // the grid's own keys do the work
        QObject::connect(action, &QAction::triggered, menu_.get(), act);
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

    ZVCL::TZ_Grid& g = grid_.Grid();
    g.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&g, &QWidget::customContextMenuRequested, menu_.get(),
                     [this](const QPoint& at) {
                         if (Usable()) menu_->popup(grid_.Grid().mapToGlobal(at));
                     });
}

TCanalEditing::~TCanalEditing() {
    grid_.OnTableKey = nullptr;
}

bool TCanalEditing::Usable() const {
    const SCanalGridModel& model = grid_.Model();
    return (!model.hasData || model.hasData()) && grid_.Grid().isEnabled();
}

bool TCanalEditing::Key(int key, Qt::KeyboardModifiers shift) {
    const Qt::KeyboardModifiers mods =
        shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const auto is = [&](Qt::KeyboardModifiers m, int k) { return mods == m && key == k; };
    std::function<void()> act;
    if (is(Qt::ControlModifier, Qt::Key_C))
        act = [this] { Copy(); };
    else if (is(Qt::ControlModifier, Qt::Key_X))
        act = [this] { Cut(); };
    else if (is(Qt::ControlModifier, Qt::Key_V))
        act = [this] { Paste(); };
    else if (is(Qt::NoModifier, Qt::Key_Insert))
        act = [this] { InsertCanal(); };
    else if (is(Qt::NoModifier, Qt::Key_Delete))
        act = [this] { DeleteCanals(); };
    else if (is(Qt::ControlModifier, Qt::Key_Delete))
        act = [this] { Clear(); };
    else if (is(Qt::AltModifier, Qt::Key_Up))
        act = [this] { Move(-1); };
    else if (is(Qt::AltModifier, Qt::Key_Down))
        act = [this] { Move(+1); };
    if (!act) return false;
    if (Usable()) act();
    return true;
}

void TCanalEditing::Done(const SEditReport& report) {
    if (refresh_) refresh_();
    grid_.Refresh();
    if (const QString text = report.Text(); !text.isEmpty()) {
        QStatusTipEvent tip(text);
        QApplication::sendEvent(&grid_.Grid(), &tip);
    }
}

void TCanalEditing::Copy() {
    if (!Usable()) return;
    std::vector<SNumberedCanal> canals;
    for (const int canal : grid_.Selection()) canals.push_back({canal, access_->Get(canal)});
    const QString text = CanalsToText(canals);
    auto* mime = new QMimeData;  // the clipboard owns it
    mime->setText(text);
    mime->setData(QString::fromUtf8(kCanalMimeType),
                  (model_ + QStringLiteral("\n") + text).toUtf8());
    QGuiApplication::clipboard()->setMimeData(mime);
}

void TCanalEditing::Cut() {
    if (!Usable()) return;
    Copy();
    Clear();
}

void TCanalEditing::Paste() {
    if (!Usable()) return;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return;
    QString text;
    if (mime->hasFormat(QString::fromUtf8(kCanalMimeType))) {
        text = QString::fromUtf8(mime->data(QString::fromUtf8(kCanalMimeType)));
        text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
    } else {
        text = mime->text();
    }
    const std::vector<SNumberedCanal> canals = CanalsFromText(text);
    if (canals.empty()) return;
    const std::set<int> selection = grid_.Selection();
    Done(CCanalTable(*access_).Paste(*selection.begin(), canals));
}

void TCanalEditing::InsertCanal() {
    if (!Usable()) return;
    const int canal = grid_.CurrentCanal();
    CCanalTable table(*access_);
    if (table.InsertLosesCanal(canal)) {
        const int last = access_->RunLimit() > 0 ? access_->RunLimit() - 1 : access_->Count() - 1;
        const QString question = QStringLiteral("Канал %1 включен и будет потерян. Вставить канал?")
                                     .arg(CanalNumber(last));
        if (!confirm || !confirm(question)) return;
    }
    table.Insert(canal);
    Done();
}

void TCanalEditing::DeleteCanals() {
    if (!Usable()) return;
    const std::set<int> selection = grid_.Selection();
    CCanalTable(*access_).Delete(selection);
    grid_.SelectCanals({*selection.begin()});
    Done();
}

void TCanalEditing::Move(int direction) {
    if (!Usable()) return;
    const std::set<int> moved = CCanalTable(*access_).Move(grid_.Selection(), direction);
    grid_.SelectCanals(moved);
    Done();
}

void TCanalEditing::Clear() {
    if (!Usable()) return;
    CCanalTable(*access_).Clear(grid_.Selection());
    Done();
}

void TCanalEditing::Fill() {
    if (!Usable()) return;
    const std::set<int> selection = grid_.Selection();
    TFillDialog dialog(access_->ToneNames(), grid_.Grid().window());
    dialog.setWindowTitle(QStringLiteral("Заполнить каналы"));
    const SCanalRecord first = access_->Get(*selection.begin());
    dialog.SetStart(first.enabled ? first.rx : access_->SnapFrequency(0));
    if (!runFill || !runFill(dialog)) return;
    int start = 0, step = 0;
    std::optional<std::pair<QString, QString>> tones;
    if (!dialog.Values(start, step, tones)) return;
    Done(CCanalTable(*access_).Fill(selection, start, step, tones));
}

}  // namespace views
