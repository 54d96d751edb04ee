#include "U_interchangemenu.h"

#include <QAction>
#include <QMenu>

#include "U_recentfiles.h"

namespace {

QAction* AddItem(QMenu& menu, const char* name, const char* caption) {
    QAction* action = menu.addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

}  // namespace

void AddInterchangeItems(QMenu& menu, QObject& context, const SInterchangeCommands& commands) {
    QObject::connect(AddItem(menu, "act_ImportCanals", "&Импорт каналов..."), &QAction::triggered,
                     &context, commands.importCanals);
    QObject::connect(AddItem(menu, "act_ExportCanals", "&Экспорт каналов..."), &QAction::triggered,
                     &context, commands.exportCanals);
    QAction* print = AddItem(menu, "act_Print", "&Печать...");
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QObject::connect(print, &QAction::triggered, &context, commands.print);
    QObject::connect(AddItem(menu, "act_CompareWithRadio", "Сравнить с радиостанцией"),
                     &QAction::triggered, &context, commands.compareWithRadio);
    menu.addSeparator();
    QMenu* recent = menu.addMenu(QStringLiteral("Последние &файлы"));
    recent->setObjectName(QStringLiteral("mnu_RecentFiles"));
    // Built afresh each time it opens: another run of the program may have added files.
    QObject::connect(recent, &QMenu::aboutToShow, recent,
                     [recent, &context, open = commands.openRecent] {
                         recent->clear();
                         const std::vector<std::string> files = CRecentFiles().Files();
                         for (std::size_t i = 0; i < files.size(); ++i) {
                             const QString caption = QStringLiteral("&%1 %2")
                                                         .arg((i + 1) % 10)
                                                         .arg(QString::fromStdString(files[i]));
                             QAction* item = recent->addAction(caption);
                             QObject::connect(item, &QAction::triggered, &context,
                                              [open, file = files[i]] { open(file); });
                         }
                         recent->setEnabled(!files.empty());
                     });
}
