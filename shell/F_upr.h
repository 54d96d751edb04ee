#pragma once
// The speech-converter dialog: the operator fixes the converter type of the current radio
// instead of letting the write determine it.

#include <QDialog>

#include <array>
#include <optional>

class QRadioButton;
class QPushButton;

class Tfrm_UPR : public QDialog {
    Q_OBJECT
  public:
    explicit Tfrm_UPR(QWidget* parent = nullptr);

    // Marks the choice of code ("Определить при записи параметров" for a code it does not
    // offer) and keeps code as the value until a choice is clicked.
    void Prepare(int code);
    // Prepare, then modal: the value on "Принять", nothing on "Отменить".
    std::optional<int> Execute(int code);
    int Value() const { return value_; }

    struct SChoice {
        const char* caption;
        int code;
    };
    static constexpr std::array<SChoice, 5> kChoices{{
        {"Определить при записи параметров", -1},
        {"Нет", 0},
        {"УПР-А1", 1},
        {"УПР-Б2", 2},
        {"УПР-В3", 5},
    }};

    QRadioButton* Choice(std::size_t index) const { return choices_.at(index); }
    QPushButton* AcceptButton() const { return btn_Accept; }
    QPushButton* CancelButton() const { return btn_Cancel; }

  private:
    std::array<QRadioButton*, kChoices.size()> choices_{};
    QPushButton* btn_Accept;
    QPushButton* btn_Cancel;
    int value_ = -1;
};
