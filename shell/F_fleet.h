#pragma once
// "Запись в группу радиостанций…": the current radio's parameter file written into radio after
// radio of its model. The dialog shows the radios done (serial number, time, outcome, message)
// with the counts, tells the operator to put the next radio, stops, writes a radio once more
// when asked, and prints the group's report. The group runs on a worker thread that reaches the
// dialog and the parameter set only through calls handed to the UI thread.

#include <QDialog>
#include <QThread>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "U_fleet.h"

class CRadios;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;
class TFleetThread;

class Tfrm_Fleet final : public QDialog {
    Q_OBJECT
  public:
    // file is the parameter file the radio's set was saved to or opened from, checksum that of
    // its bytes.
    Tfrm_Fleet(QWidget* parent, CRadios& radios, IRadio& radio, std::filesystem::path file,
               std::string checksum);
    ~Tfrm_Fleet() override;

    // Opens the log and starts the group; false (with the reason shown) when the log cannot be
    // opened.
    bool Start();
    // Asks the group to end after the radio being written; returns once it has ended.
    void Stop();
    bool Running() const { return thread_ != nullptr; }
    fleet::SFleetCounts Counts() const { return counts_; }
    QTableWidget* Table() const { return grd_Radios; }
    // The report of this group (the rows of the log with this file's checksum) as a PDF.
    bool PrintReport(const std::filesystem::path& out);
    void SetLogFile(const std::filesystem::path& log);
    void SetNote(const QString& note);

    // Closing the dialog stops the group first.
    void reject() override;

  private:
    friend class TFleetThread;
    // Called on the UI thread through the worker's hand-offs.
    void ShowPrompt(const QString& text, int percent);
    void AddRow(const fleet::SLogRow& row);
    std::vector<std::string> TakeAgain();
    void Finished(const QString& failure);

    void WriteAgain();
    void AskReport();
    void ChooseLog();
    void UpdateButtons();

    CRadios& radios_;
    IRadio& radio_;
    std::filesystem::path file_;
    std::string checksum_;
    std::unique_ptr<fleet::CFleetLog> log_;
    std::vector<fleet::SLogRow> rows_;  // of the log, this group's included
    std::vector<std::string> again_;
    fleet::SFleetCounts counts_;
    std::unique_ptr<TFleetThread> thread_;
    std::atomic<bool> stop_{false};

    QLabel* lbl_File;
    QLineEdit* edt_Log;
    QPushButton* btn_Log;
    QLineEdit* edt_Note;
    QLabel* lbl_Prompt;
    QProgressBar* prg_Radio;
    QLabel* lbl_Counts;
    QTableWidget* grd_Radios;
    QPushButton* btn_Start;
    QPushButton* btn_Stop;
    QPushButton* btn_Again;
    QPushButton* btn_Report;
    QPushButton* btn_Close;
};

// The group write's command in the radio menu; it acts on the radio list's current radio.
void AddFleetItem(QMenu& menu, CRadios& radios, QWidget& window);
