#pragma once
// The About box: the program's name and version and the modules it has loaded.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class Tfrm_About : public QDialog {
    Q_OBJECT
  public:
    explicit Tfrm_About(QWidget* parent = nullptr);

    // Refills the module list; called each time the box is about to be shown.
    void SetModuleSummary(const QString& summary);
    QString ModuleText() const;
    QPushButton* CloseButton() const { return btn_Close; }

  private:
    QPlainTextEdit* mm;
    QPushButton* btn_Close;
};
