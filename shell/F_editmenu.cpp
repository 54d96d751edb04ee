#include "F_editmenu.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>

#include "U_radioware.h"
#include "U_undo.h"
#include "Zvc_notice.h"

namespace editmenu {

namespace {

QString Caption(const char* verb, const std::string& step) {
    const QString text = QString::fromUtf8(verb);
    return step.empty() ? text : text + QStringLiteral(": ") + QString::fromStdString(step);
}

// A view reports what an edit could not do as a status tip (it shows no message boxes); the
// window puts it on its status line, which clears itself as every message does. A step name
// the view announces names the changes that follow in the current radio's history.
class TStatusTipRelay final : public QObject {
  public:
    TStatusTipRelay(QObject* parent, IEditHost& radios) : QObject(parent), radios_(radios) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == ZVCL::TEditStepEvent::kType) {
            if (IRadio* radio = radios_.CurrentRadio()) {
                // What is still pending (a cell editor closed by this command) is a step of
                // its own.
                radios_.Histories().Flush();
                radios_.Histories().Changed(
                    radio, static_cast<ZVCL::TEditStepEvent*>(event)->Name().toStdString());
            }
            return true;
        }
        if (event->type() != QEvent::StatusTip) return QObject::eventFilter(watched, event);
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty()) return false;
        radios_.Report(tip.toStdString());
        return true;
    }

  private:
    IEditHost& radios_;
};

// The channel table's commands: each triggers the command of the same name in the current
// radio's view, where the table does the work.
struct SCanalCommand {
    const char* caption;
    const char* viewAction;
    QKeySequence key;
};

void RunViewCommand(IEditHost& radios, const char* name) {
    const IRadio* radio = radios.CurrentRadio();
    QWidget* view = radio ? radio->Ware()->GetView() : nullptr;
    QAction* action = view ? view->findChild<QAction*>(QString::fromUtf8(name)) : nullptr;
    if (!action) {
        radios.Report("В этой радиостанции нет таблицы каналов");
        return;
    }
    if (radios.TransferRunning()) {
        radios.Report("Идет обмен с радиостанцией: каналы изменить нельзя");
        return;
    }
    action->trigger();
}

void AddCanalCommands(QMainWindow& window, QMenu& menu, IEditHost& radios) {
    const SCanalCommand commands[] = {
        {"Копировать каналы", "act_CopyCanals", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"Вырезать каналы", "act_CutCanals", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"Вставить каналы", "act_PasteCanals", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {nullptr, nullptr, {}},
        {"Вставить пустой канал", "act_InsertCanal", QKeySequence(Qt::Key_Insert)},
        {"Удалить каналы", "act_DeleteCanals", QKeySequence(Qt::Key_Delete)},
        {"Переместить вверх", "act_MoveUp", QKeySequence(Qt::ALT | Qt::Key_Up)},
        {"Переместить вниз", "act_MoveDown", QKeySequence(Qt::ALT | Qt::Key_Down)},
        {"Очистить каналы", "act_ClearCanals", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {"Заполнить каналы…", "act_FillCanals", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {nullptr, nullptr, {}},
        {"Выделить все каналы", "act_SelectAllCanals", QKeySequence(Qt::CTRL | Qt::Key_A)},
    };
    for (const SCanalCommand& command : commands) {
        if (!command.caption) {
            menu.addSeparator();
            continue;
        }
        auto* action = new QAction(QString::fromUtf8(command.caption), &window);
        // "act_CopyCanals" in the view, "act_Edit_CopyCanals" here.
        action->setObjectName(QStringLiteral("act_Edit_") +
                              QString::fromUtf8(command.viewAction + 4));
        action->setShortcut(command.key);
        // A line editor keeps its own Ctrl+C, Delete and Ctrl+A: it takes them first.
        window.addAction(action);
        menu.addAction(action);
        const char* name = command.viewAction;
        QObject::connect(action, &QAction::triggered, &window,
                         [&radios, name] { RunViewCommand(radios, name); });
    }
}

}  // namespace

void AddEditMenu(QMainWindow& window, IEditHost& radios) {
    auto* undo = new QAction(QString::fromUtf8(undotext::kUndo), &window);
    undo->setObjectName(QStringLiteral("act_Undo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(QString::fromUtf8(undotext::kRedo), &window);
    redo->setObjectName(QStringLiteral("act_Redo"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {undo, redo}) {
        action->setEnabled(false);
        window.addAction(action);
    }
    QObject::connect(undo, &QAction::triggered, &window, [&radios] { radios.UndoCommand(); });
    QObject::connect(redo, &QAction::triggered, &window, [&radios] { radios.RedoCommand(); });

    auto* menu = new QMenu(QStringLiteral("Пр&авка"), &window);
    menu->setObjectName(QStringLiteral("mnu_Edit"));
    menu->addAction(undo);
    menu->addAction(redo);
    menu->addSeparator();
    AddCanalCommands(window, *menu, radios);
    QMenuBar* bar = window.menuBar();
    const QList<QAction*> menus = bar->actions();
    if (menus.size() > 1)
        bar->insertMenu(menus[1], menu);
    else
        bar->addMenu(menu);

    const auto follow = [undo, redo, &radios] {
        const CUndoHistory* history = radios.CurrentHistory();
        undo->setEnabled(history && history->CanUndo());
        redo->setEnabled(history && history->CanRedo());
        undo->setText(Caption(undotext::kUndo, history ? history->UndoName() : std::string()));
        redo->setText(Caption(undotext::kRedo, history ? history->RedoName() : std::string()));
    };
    QObject::connect(&radios.Histories(), &CEditHistories::HistoryChanged, &window, follow);
    window.installEventFilter(new TStatusTipRelay(&window, radios));
}

}  // namespace editmenu
