#include "F_about.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "U_shelltext.h"

Tfrm_About::Tfrm_About(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("frm_About"));
    setWindowTitle(QStringLiteral("О программе"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString::fromUtf8(shelltext::kBaseCaption), this);
    title->setObjectName(QStringLiteral("lbl_Title"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QString::fromUtf8(shelltext::kVersionLine), this);
    version->setObjectName(QStringLiteral("lbl_Version"));
    version->setAlignment(Qt::AlignCenter);
    mm = new QPlainTextEdit(this);
    mm->setObjectName(QStringLiteral("mm"));
    mm->setReadOnly(true);
    mm->setFixedHeight(90);
    btn_Close = new QPushButton(QStringLiteral("Закрыть"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    // Default and cancel button at once: Enter and Esc both close the box.
    btn_Close->setDefault(true);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(mm);
    layout->addWidget(btn_Close, 0, Qt::AlignHCenter);
    resize(360, 220);
}

void Tfrm_About::SetModuleSummary(const QString& summary) {
    mm->setPlainText(summary);
}

QString Tfrm_About::ModuleText() const {
    return mm->toPlainText();
}
