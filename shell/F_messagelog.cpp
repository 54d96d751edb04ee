#include "F_messagelog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "U_messagelog.h"

Tfrm_MessageLog::Tfrm_MessageLog(const CMessageLog& log, QWidget* parent)
    : QDialog(parent, Qt::Tool), log_(log) {
    setObjectName(QStringLiteral("frm_MessageLog"));
    setWindowTitle(QStringLiteral("Журнал сообщений"));
    auto* layout = new QVBoxLayout(this);
    mm_Log = new QPlainTextEdit(this);
    mm_Log->setObjectName(QStringLiteral("mm_Log"));
    mm_Log->setReadOnly(true);
    mm_Log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    btn_Close = new QPushButton(QStringLiteral("Закрыть"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    btn_Close->setDefault(true);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(mm_Log, 1);
    layout->addWidget(btn_Close, 0, Qt::AlignHCenter);
    resize(520, 300);
}

void Tfrm_MessageLog::Refresh() {
    mm_Log->setPlainText(log_.Text());
}

QString Tfrm_MessageLog::LogText() const {
    return mm_Log->toPlainText();
}
