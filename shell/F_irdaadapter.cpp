#include "F_irdaadapter.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "U_buttonrow.h"
#include "U_radios.h"

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

Tfrm_IrdaAdapter::Tfrm_IrdaAdapter(QWidget* parent, CRadios& radios)
    : QDialog(parent), radios_(radios) {
    setObjectName(QStringLiteral("frm_IrdaAdapter"));
    setWindowTitle(QStringLiteral("ИК-адаптер"));
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Радиостанции ищутся через ИК-адаптер:"), this);
    layout->addWidget(caption);
    lst_Adapters = new QListWidget(this);
    lst_Adapters->setObjectName(QStringLiteral("lst_Adapters"));
    lst_Adapters->setSelectionMode(QAbstractItemView::SingleSelection);
    lst_Adapters->setMinimumWidth(520);
    caption->setBuddy(lst_Adapters);
    layout->addWidget(lst_Adapters);
    lbl_Note = new QLabel(this);
    lbl_Note->setObjectName(QStringLiteral("lbl_Note"));
    lbl_Note->setWordWrap(true);
    layout->addWidget(lbl_Note);
    btn_Refresh = new QPushButton(QStringLiteral("&Обновить список"), this);
    btn_Refresh->setObjectName(QStringLiteral("btn_Refresh"));
    btn_Refresh->setAutoDefault(false);
    layout->addWidget(btn_Refresh, 0, Qt::AlignLeft);
    const SButtonRow row = AddButtonRow(*this, *layout, QStringLiteral("Выбрать"));
    btn_Accept = row.accept;
    connect(btn_Refresh, &QPushButton::clicked, this, &Tfrm_IrdaAdapter::Refill);
    connect(lst_Adapters, &QListWidget::itemActivated, this, &Tfrm_IrdaAdapter::accept);

    const SIrdaPlatformChoice& automatic = radios_.Ports().AutomaticIrdaPlatform();
    lbl_Note->setText(
        automatic.fixed
            ? QStringLiteral("Сейчас действует ИК-адаптер, заданный при запуске программы "
                             "(переменная окружения TESSEL_IRDA_PORT или TESSEL_IRDA_DIR): "
                             "выбор здесь сохранится и вступит в силу, когда она не задана.")
            : QStringLiteral("Выбор сохраняется и действует со следующего поиска радиостанции."));
    Refill();
}

void Tfrm_IrdaAdapter::Refill() {
    const int row = lst_Adapters->currentRow();
    const std::string marked = row >= 0 && row < static_cast<int>(options_.size())
                                   ? options_[static_cast<std::size_t>(row)].setting
                                   : radios_.IrdaAdapter();
    options_ = radios_.Ports().IrdaAdapters(radios_.IrdaAdapter());
    lst_Adapters->clear();
    int markedRow = 0;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        lst_Adapters->addItem(Q(options_[i].label));
        if (options_[i].setting == marked) markedRow = static_cast<int>(i);
    }
    lst_Adapters->setCurrentRow(markedRow);
    lst_Adapters->setFocus();
}

void Tfrm_IrdaAdapter::accept() {
    const int row = lst_Adapters->currentRow();
    if (row < 0 || row >= static_cast<int>(options_.size())) return;
    if (!radios_.ChooseIrdaAdapter(options_[static_cast<std::size_t>(row)].setting)) return;
    QDialog::accept();
}

QAction* AddIrdaAdapterItem(QMenu& menu, CRadios& radios, QWidget& window) {
    QAction* item = menu.addAction(QStringLiteral("И&К-адаптер…"));
    item->setObjectName(QStringLiteral("act_IrdaAdapter"));
    QObject::connect(item, &QAction::triggered, &window, [&radios, &window] {
        if (radios.TransferRunning()) return;
        Tfrm_IrdaAdapter dialog(&window, radios);
        dialog.exec();
    });
    return item;
}
