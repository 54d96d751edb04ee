#pragma once
// The radio list: one entry per radio of every loaded module, the current selection and the
// view it shows, the modified markers, the parameter-file commands and the start of a read or
// a write. Everything here runs on the UI thread; the workers reach it through hand-offs and
// only through IWorkerHost.

#include <QObject>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "F_editmenu.h"
#include "U_canallist.h"
#include "U_dialogs.h"
#include "U_modules.h"
#include "U_paramfile.h"
#include "U_radionet.h"
#include "U_settings.h"
#include "U_shellwindow.h"
#include "U_undo.h"
#include "U_workers.h"

class QWidget;

struct SRadio {
    std::string name;
    IRadio* radio = nullptr;
    bool modified = false;
};

class CRadios : public QObject,
                public ICanalListHost,
                public editmenu::IEditHost,
                private paramfile::IOpenHost,
                private IWorkerHost {
    Q_OBJECT
  public:
    // The dialogs start in the folder of the last run, else in "Параметры" inside programDir
    // when it exists, else in the user's documents.
    CRadios(const CModules& modules, IUserDialogs& dialogs, CLinkPorts& ports,
            std::filesystem::path programDir);
    ~CRadios() override;

    void AttachWindow(IShellWindow* window, std::string baseCaption);

    int Count() const { return static_cast<int>(entries_.size()); }
    const SRadio& Get(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    int Current() const { return current_; }
    const SRadio* CurrentEntry() const;
    IRadio* CurrentRadio() const override;
    // The current radio's own set while no search or transfer runs; null otherwise.
    CRadioData* EditableData() override;
    bool TransferRunning() const override { return workers_.Busy(); }
    const std::vector<IRadio*>& Radios() const override { return radios_; }
    const std::string& FileFilter() const { return filter_; }
    const std::string& BaseCaption() const override { return baseCaption_; }

    void Select(int index) override;
    // The user's choice in the list: refused while a search or transfer runs, as the search
    // fills the parameter set that attaching another radio may drop (the search's own switch
    // to the model it found goes through Select).
    void SelectCommand(int index);
    void OnDataChanged(IRadioData* data);

    // The file commands, with their questions and messages. New and the opens do nothing
    // while a search or transfer runs.
    void NewCommand();
    void OpenParams();
    void OpenParamsAs(int index);
    bool SaveParams(bool saveAs, const std::string& openingFile);
    // Opens a file of the recent files list, with the messages of Open.
    void OpenRecent(const std::string& fileName);
    bool QuerySaveChanges(const std::string& openingFile) override;
    // Before the program ends: the same question for every modified set in list order, each
    // shown while it is asked; false when the user cancels one.
    bool QuerySaveAll();

    void NewParams();
    // Throw paramfile::CFileError with the text for the user.
    void OpenFile(const std::string& fileName, int target);
    void SaveFile(const std::string& fileName);
    // Files given on the command line or dropped on the window: each opened as Open does, into
    // the radio it names, a failure shown as Open shows it.
    void OpenFiles(const std::vector<std::string>& fileNames);

    // F3 and F5. Nothing starts while a search or transfer is still running.
    void StartRead();
    void StartWrite();

    // Takes the module views out of the data panel, so that the window's end leaves them to
    // the modules that own them.
    void ReleaseViews();

    // The current radio's edit history: one step back or forward. Nothing happens while a
    // transfer runs, since the worker uses the set.
    void UndoCommand() override;
    void RedoCommand() override;
    CEditHistories& Histories() override { return histories_; }
    // The current radio's history, null when none is current.
    CUndoHistory* CurrentHistory() override;

    IShellWindow& Window() const override { return *window_; }
    // A message on the status line (and so in the message log) that clears itself.
    void Report(const std::string& text) override;
    CLinkPorts& Ports() const override { return ports_; }
    CWorkerTracker& Workers() override { return workers_; }
    IUserDialogs& Dialogs() const override { return dialogs_; }

    // The current radio's parameters as they were when the last read of that radio started
    // (Windows-1251 text form); empty when it has not been read since the program started.
    std::string ParametersBeforeRead() const override;
    // The file the radio's parameters came from before that read; empty when none.
    std::string FileBeforeRead() const override;

    // Whether a write first keeps a copy of the radio's memory and then reads the radio back
    // to check it; on unless turned off.
    bool WriteChecks() const override { return writeChecks_; }
    void SetWriteChecks(bool on) { writeChecks_ = on; }

    // The serial number of the radio of this model last read or written, preselected when
    // several radios of the model are in range; "" before the first.
    std::string LastSerial(const IRadio* radio) const override;
    void RememberSerial(const IRadio* radio, const std::string& serialNumber) override;

    // The infrared adapter kept in the settings ("" for the automatic choice).
    std::string IrdaAdapter() const;
    // Kept and used from the next search; refused (false) while a search or transfer runs,
    // which uses the adapter.
    bool ChooseIrdaAdapter(const std::string& setting);

    const std::string& OpenDialogFolder() const override { return openDir_; }
    const std::string& SaveDialogFolder() const override { return saveDir_; }

  private:
    QObject& HandOffTarget() override { return *this; }
    static void Notifier(void* context, IRadioData* data);
    void Attach(IRadio* radio);
    void ShowView(IRadioWare* ware);
    void ShowError(const std::string& text);
    void OpenWith(const std::string& title, int target);
    bool OpenReporting(const std::string& fileName, int target);
    std::string InitialFolder(std::string& folder, std::string_view key) const;
    void RememberFolder(std::string& folder, std::string_view key, const std::string& file);
    bool IsOpeningFile(const std::string& file, const std::string& openingFile) const;

    IUserDialogs& dialogs_;
    CLinkPorts& ports_;
    std::filesystem::path programDir_;
    std::vector<SRadio> entries_;
    std::vector<IRadio*> radios_;
    int current_ = -1;
    IShellWindow* window_ = nullptr;
    std::string baseCaption_;
    std::string filter_;
    std::string openDir_;
    std::string saveDir_;
    CSettings settings_;
    CWorkerTracker workers_;
    bool writeChecks_ = true;
    int readRadio_ = -1;
    std::string beforeRead_;
    std::string fileBeforeRead_;
    CEditHistories histories_;
    // Names the step that the changes reported now make (an open, a new set); empty for edits.
    std::string actionName_;
    bool reading_ = false;  // the transfer last started is a read
    std::map<const IRadio*, std::string> lastSerials_;
};
