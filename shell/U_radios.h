#pragma once
// The radio list: one entry per radio of every loaded module, the current selection and the
// view it shows, the modified markers, the parameter-file commands and the start of a read or
// a write. Everything here runs on the UI thread; the workers reach it through hand-offs.

#include <QObject>

#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "U_dialogs.h"
#include "U_modules.h"
#include "U_paramfile.h"
#include "U_radionet.h"
#include "U_settings.h"
#include "U_undo.h"

class QWidget;

struct SRadio {
    std::string name;
    IRadio* radio = nullptr;
    bool modified = false;
};

// What the radio list and the workers need from the main window.
class IShellWindow {
  public:
    // Caption, list and properties panel from the current radio.
    virtual void UpdateState() = 0;
    // The host of the current module's view.
    virtual QWidget* DataPanel() = 0;
    virtual void SetRadioNameText(const std::string& text) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void SetClearTimer(bool on) = 0;
    // Read and write commands off while a search or transfer runs, and the view with them.
    virtual void SetBusy() = 0;
    virtual void SetIdle() = 0;
    // 0..100 shows the progress pane; -1 hides it and refreshes the window.
    virtual void ShowProgress(int percent) = 0;
    virtual void ShowRadioInfo() = 0;

  protected:
    ~IShellWindow() = default;
};

// Counts the workers alive, so that nothing a worker uses is released under it.
class CWorkerTracker {
  public:
    void Enter() { ++alive_; }
    void Leave() { --alive_; }
    bool Busy() const { return alive_ > 0; }
    // Keeps the UI thread serving the workers' hand-offs until the last one has gone.
    void WaitAll();

  private:
    std::atomic<int> alive_{0};
};

class CRadios : public QObject, private paramfile::IOpenHost {
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
    const std::vector<IRadio*>& Radios() const { return radios_; }
    const std::string& FileFilter() const { return filter_; }
    const std::string& BaseCaption() const { return baseCaption_; }

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
    void UndoCommand();
    void RedoCommand();
    CEditHistories& Histories() { return histories_; }
    // The current radio's history, null when none is current.
    CUndoHistory* CurrentHistory();

    IShellWindow& Window() const { return *window_; }
    // A message on the status line (and so in the message log) that clears itself.
    void Report(const std::string& text);
    CLinkPorts& Ports() const { return ports_; }
    CWorkerTracker& Workers() { return workers_; }
    IUserDialogs& Dialogs() const { return dialogs_; }

    // The current radio's parameters as they were when the last read of that radio started
    // (Windows-1251 text form); empty when it has not been read since the program started.
    std::string ParametersBeforeRead() const;
    // The file the radio's parameters came from before that read; empty when none.
    std::string FileBeforeRead() const;

    // Whether a write first keeps a copy of the radio's memory and then reads the radio back
    // to check it; on unless turned off.
    bool WriteChecks() const { return writeChecks_; }
    void SetWriteChecks(bool on) { writeChecks_ = on; }

    // The serial number of the radio of this model last read or written, preselected when
    // several radios of the model are in range; "" before the first.
    std::string LastSerial(const IRadio* radio) const;
    void RememberSerial(const IRadio* radio, const std::string& serialNumber);

    const std::string& OpenDialogFolder() const { return openDir_; }
    const std::string& SaveDialogFolder() const { return saveDir_; }

  private:
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
