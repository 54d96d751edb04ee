#include "U_interchangemenu.h"

#include <QAction>
#include <QMenu>

#include "U_canallist.h"
#include "U_radios.h"

namespace {

QAction* AddItem(QMenu& menu, const char* name, const char* caption) {
    QAction* action = menu.addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

}  // namespace

void AddInterchangeItems(QMenu& menu, CRadios& radios) {
    QObject::connect(AddItem(menu, "act_ImportCanals", "&Импорт каналов..."),
                     &QAction::triggered, &radios, [&radios] { ImportCanalList(radios); });
    QObject::connect(AddItem(menu, "act_ExportCanals", "&Экспорт каналов..."),
                     &QAction::triggered, &radios, [&radios] { ExportCanalList(radios); });
    QObject::connect(AddItem(menu, "act_CompareWithRadio", "Сравнить с радиостанцией"),
                     &QAction::triggered, &radios, [&radios] { CompareWithRadio(radios); });
}
