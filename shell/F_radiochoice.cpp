#include "F_radiochoice.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "U_buttonrow.h"

Tfrm_RadioChoice::Tfrm_RadioChoice(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_RadioChoice"));
    setWindowTitle(QStringLiteral("Выбор радиостанции"));
    auto* layout = new QVBoxLayout(this);
    lbl_Radios = new QLabel(this);
    lbl_Radios->setObjectName(QStringLiteral("lbl_Radios"));
    lbl_Radios->setWordWrap(true);
    layout->addWidget(lbl_Radios);
    lst_Radios = new QListWidget(this);
    lst_Radios->setObjectName(QStringLiteral("lst_Radios"));
    lst_Radios->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(lst_Radios);
    const SButtonRow row = AddButtonRow(*this, *layout, QStringLiteral("Выбрать"));
    btn_Accept = row.accept;
    btn_Cancel = row.cancel;
    connect(lst_Radios, &QListWidget::itemActivated, this, &QDialog::accept);
}

void Tfrm_RadioChoice::Prepare(const std::string& name,
                               const std::vector<std::string>& serialNumbers,
                               std::size_t preselected) {
    lbl_Radios->setText(QStringLiteral("В зоне связи несколько радиостанций \"%1\".\n"
                                       "Выберите радиостанцию по заводскому номеру:")
                            .arg(QString::fromStdString(name)));
    lst_Radios->clear();
    for (const std::string& serial : serialNumbers)
        lst_Radios->addItem(
            QStringLiteral("Заводской номер %1").arg(QString::fromStdString(serial)));
    if (!serialNumbers.empty())
        lst_Radios->setCurrentRow(
            static_cast<int>(std::min(preselected, serialNumbers.size() - 1)));
    lst_Radios->setFocus();
    adjustSize();
}

std::optional<std::size_t> Tfrm_RadioChoice::Execute(const std::string& name,
                                                     const std::vector<std::string>& serialNumbers,
                                                     std::size_t preselected) {
    Prepare(name, serialNumbers, preselected);
    if (exec() != QDialog::Accepted) return {};
    return Chosen();
}

std::optional<std::size_t> Tfrm_RadioChoice::Chosen() const {
    const int row = lst_Radios->currentRow();
    if (row < 0) return {};
    return static_cast<std::size_t>(row);
}
