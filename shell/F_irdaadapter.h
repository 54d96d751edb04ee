#pragma once
// "ИК-адаптер": which infrared adapter the searches use. The list holds the automatic choice,
// the system's IrDA sockets when it has them, each serial port and each plugged USB adapter;
// "Обновить список" asks the system again. The choice is kept in the program's settings and
// used from the next search; a platform named by the environment still wins, and the dialog
// says so.

#include <QDialog>

#include <string>
#include <vector>

#include "U_irdaadapters.h"

class CRadios;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

class Tfrm_IrdaAdapter final : public QDialog {
    Q_OBJECT
  public:
    Tfrm_IrdaAdapter(QWidget* parent, CRadios& radios);

    // Lists the adapters again, the one marked before (else the kept one) marked.
    void Refill();
    QListWidget* List() const { return lst_Adapters; }
    QPushButton* RefreshButton() const { return btn_Refresh; }
    QPushButton* AcceptButton() const { return btn_Accept; }
    // Keeps the marked choice; refused while a search or transfer runs.
    void accept() override;

  private:
    CRadios& radios_;
    std::vector<SIrdaAdapterOption> options_;
    QLabel* lbl_Note;
    QListWidget* lst_Adapters;
    QPushButton* btn_Refresh;
    QPushButton* btn_Accept;
};

// "ИК-адаптер…" in menu; the action, which the window disables while a read or write runs.
QAction* AddIrdaAdapterItem(QMenu& menu, CRadios& radios, QWidget& window);
