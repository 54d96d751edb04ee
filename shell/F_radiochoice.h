#pragma once
// The choice among several radios of one model in range: the operator picks the radio to read
// or write by its serial number. Escape or "Отменить" cancels the read or write.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

class Tfrm_RadioChoice : public QDialog {
    Q_OBJECT
  public:
    explicit Tfrm_RadioChoice(QWidget* parent = nullptr);

    // Lists the serial numbers of the radios of the model named name, preselected marked.
    void Prepare(const std::string& name, const std::vector<std::string>& serialNumbers,
                 std::size_t preselected);
    // Prepare, then modal: the index chosen, nothing when cancelled.
    std::optional<std::size_t> Execute(const std::string& name,
                                       const std::vector<std::string>& serialNumbers,
                                       std::size_t preselected);
    // The row marked now; nothing when the list is empty.
    std::optional<std::size_t> Chosen() const;

    QListWidget* List() const { return lst_Radios; }
    QPushButton* AcceptButton() const { return btn_Accept; }
    QPushButton* CancelButton() const { return btn_Cancel; }

  private:
    QLabel* lbl_Radios;
    QListWidget* lst_Radios;
    QPushButton* btn_Accept;
    QPushButton* btn_Cancel;
};
