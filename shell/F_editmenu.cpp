#include "F_editmenu.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>

#include "U_radios.h"
#include "U_undo.h"

namespace editmenu {

namespace {

QString Caption(const char* verb, const std::string& step) {
    const QString text = QString::fromUtf8(verb);
    return step.empty() ? text : text + QStringLiteral(": ") + QString::fromStdString(step);
}

// A view reports what an edit could not do as a status tip (it shows no message boxes); the
// window puts it on its status line, which clears itself as every message does.
class TStatusTipRelay final : public QObject {
  public:
    TStatusTipRelay(QObject* parent, CRadios& radios) : QObject(parent), radios_(radios) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::StatusTip) return QObject::eventFilter(watched, event);
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty()) return false;
        radios_.Window().SetClearTimer(false);
        radios_.Window().ShowStatus(tip.toStdString());
        radios_.Window().SetClearTimer(true);
        return true;
    }

  private:
    CRadios& radios_;
};

}  // namespace

void AddEditMenu(QMainWindow& window, CRadios& radios) {
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
