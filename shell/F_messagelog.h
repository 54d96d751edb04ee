#pragma once
// The message log box (Справка → Журнал сообщений): the window's recent messages, newest first,
// each with its time. Not modal: it may stay open beside the window and follows new messages.

#include <QDialog>

class CMessageLog;
class QPlainTextEdit;
class QPushButton;

class Tfrm_MessageLog : public QDialog {
    Q_OBJECT
  public:
    Tfrm_MessageLog(const CMessageLog& log, QWidget* parent = nullptr);

    // Shows the log's present entries.
    void Refresh();
    QString LogText() const;

  private:
    const CMessageLog& log_;
    QPlainTextEdit* mm_Log;
    QPushButton* btn_Close;
};
