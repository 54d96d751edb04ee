#include "U_buttonrow.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

SButtonRow AddButtonRow(QDialog& dialog, QBoxLayout& layout, const QString& acceptCaption) {
    auto* buttons = new QHBoxLayout;
    SButtonRow row{new QPushButton(acceptCaption, &dialog),
                   new QPushButton(QStringLiteral("Отменить"), &dialog)};
    row.accept->setObjectName(QStringLiteral("btn_Accept"));
    row.accept->setDefault(true);
    row.cancel->setObjectName(QStringLiteral("btn_Cancel"));
    buttons->addWidget(row.accept);
    buttons->addWidget(row.cancel);
    layout.addLayout(buttons);
    QObject::connect(row.accept, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(row.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return row;
}
