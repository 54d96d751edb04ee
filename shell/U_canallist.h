#pragma once
// Параметры → Импорт каналов... and Экспорт каналов...: the current radio's channels to and
// from a channel list that other radio programs read and write; Сравнить с радиостанцией.

#include <string>

class CRadioData;
class IUserDialogs;

// What the channel-list commands need of the radio list.
class ICanalListHost {
  public:
    // The current radio's own set while no transfer runs; null otherwise.
    virtual CRadioData* EditableData() = 0;
    virtual IUserDialogs& Dialogs() const = 0;
    virtual const std::string& BaseCaption() const = 0;
    virtual const std::string& OpenDialogFolder() const = 0;
    virtual const std::string& SaveDialogFolder() const = 0;
    // A message on the status line that clears itself.
    virtual void Report(const std::string& text) = 0;
    // The current radio's parameters (text form) and file from before its last read; empty
    // when it has not been read.
    virtual std::string ParametersBeforeRead() const = 0;
    virtual std::string FileBeforeRead() const = 0;

  protected:
    ~ICanalListHost() = default;
};

// Asks for a list and puts the rows that fit into the current radio; the rows that do not fit
// are listed to the user, and their channels stay as they were.
void ImportCanalList(ICanalListHost& radios);
// Asks for a file and writes the current radio's working channels into it.
void ExportCanalList(ICanalListHost& radios);
// Asks for a file and writes the current radio's printable channel list (PDF) into it.
void PrintCanalListTo(ICanalListHost& radios);
// After a read: what the radio holds against what the window held before the read.
void CompareWithRadio(ICanalListHost& radios);
