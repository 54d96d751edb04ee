#include "F_upr.h"

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "U_buttonrow.h"

Tfrm_UPR::Tfrm_UPR(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("frm_UPR"));
    setWindowTitle(QStringLiteral("Тип УПР"));
    auto* layout = new QVBoxLayout(this);
    for (std::size_t i = 0; i < kChoices.size(); ++i) {
        auto* choice = new QRadioButton(QString::fromUtf8(kChoices[i].caption), this);
        choice->setObjectName(QStringLiteral("rdb_Choice%1").arg(i));
        const int code = kChoices[i].code;
        connect(choice, &QRadioButton::clicked, this, [this, code] { value_ = code; });
        layout->addWidget(choice);
        choices_[i] = choice;
    }
    const SButtonRow row = AddButtonRow(*this, *layout, QStringLiteral("Принять"));
    btn_Accept = row.accept;
    btn_Cancel = row.cancel;
    adjustSize();
}

void Tfrm_UPR::Prepare(int code) {
    value_ = code;
    std::size_t marked = 0;  // a code not offered shows as "determine when writing"
    for (std::size_t i = 0; i < kChoices.size(); ++i)
        if (kChoices[i].code == code) marked = i;
    choices_[marked]->setChecked(true);
}

std::optional<int> Tfrm_UPR::Execute(int code) {
    Prepare(code);
    if (exec() != QDialog::Accepted) return {};
    return value_;
}
