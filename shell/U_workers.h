#pragma once
// The radio workers: a search worker finds the radio (trying the other models on a read) and
// obtains the model's exchange object, then a read or write worker steps the exchange to its
// end. Each runs on its own thread, deletes itself when it ends and reaches the window only
// through a call it hands to the UI thread and waits for.

#include <QThread>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <atomic>

#include "U_radionet.h"
#include "U_writesteps.h"

class IShellWindow;
class IUserDialogs;

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

// What the workers need from the radio list; every call but Radios and Ports is made on the
// UI thread, through a hand-off.
class IWorkerHost {
  public:
    // The object whose thread the hand-offs run on.
    virtual QObject& HandOffTarget() = 0;
    virtual CWorkerTracker& Workers() = 0;
    virtual IShellWindow& Window() const = 0;
    virtual IUserDialogs& Dialogs() const = 0;
    virtual CLinkPorts& Ports() const = 0;
    // Every radio of every module, in list order; it does not change after start-up.
    virtual const std::vector<IRadio*>& Radios() const = 0;
    // Moves the selection to the model a read found instead of the one asked for.
    virtual void Select(int index) = 0;
    // Before a read replaces the set: false when the user cancels.
    virtual bool QuerySaveChanges(const std::string& openingFile) = 0;
    // Whether a write keeps a copy of the radio's memory first and reads the radio back after.
    virtual bool WriteChecks() const = 0;
    // The serial number preselected when several radios of the model are in range.
    virtual std::string LastSerial(const IRadio* radio) const = 0;
    virtual void RememberSerial(const IRadio* radio, const std::string& serialNumber) = 0;

  protected:
    ~IWorkerHost() = default;
};

// What every worker shares: its registration with the list's tracker and the hand-off.
class TRadioWorker : public QThread {
    Q_OBJECT
  protected:
    explicit TRadioWorker(IWorkerHost& host);
    ~TRadioWorker() override;

    // Runs call on the UI thread and returns after it has run there.
    template <class Call>
    void HandOff(Call&& call);
    // The same for a call into a plug-in: what it throws is thrown again on this thread, so the
    // worker's own clean-up still runs.
    template <class Call>
    void HandOffToPlugIn(Call&& call);
    // statusText to the status line.
    void ShowStatus();
    // Starts a worker object made on any thread; it ends up owned by the UI thread's loop.
    static void StartOwned(TRadioWorker* worker);

    IWorkerHost& host_;
    std::string statusText;
};

class TFind4RWThread final : public TRadioWorker {
    Q_OBJECT
  public:
    // Creates and starts the search for radio (readMode: a read, else a write).
    static void Launch(IWorkerHost& host, IRadio* radio, bool readMode);

  protected:
    void run() override;

  private:
    TFind4RWThread(IWorkerHost& host, IRadio* radio, bool readMode);
    // Every radio of the candidate's model in range.
    SRadioSearch Search(IRadio* candidate);
    SRadioSearch SearchOtherModels();
    // The radio to use among those found: the only one, else the user's choice; nothing when
    // the user cancels.
    std::optional<SFoundRadio> Choose(const std::vector<SFoundRadio>& found);
    std::unique_ptr<CRadioNet> Open(const SFoundRadio& chosen);
    void Finish();  // the end of a search that leads to no transfer
    void NotFound();
    void Cancelled();

    IRadio* radio;
    bool readMode;
    int foundIndex = -1;
    bool cancelled = false;
};

// The read or write worker: the same steps, the write's checks around them and its own texts.
class TTransferThread final : public TRadioWorker {
    Q_OBJECT
  public:
    struct STexts {
        const char* start;
        const char* error;
        const char* success;
    };

    // Creates and starts the read (reading) or write through rw on the link net to found.
    static void Launch(IWorkerHost& host, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                       bool reading, SFoundRadio found);

  protected:
    void run() override;

  private:
    TTransferThread(IWorkerHost& host, std::unique_ptr<CRadioNet> net, IRadioRW* rw, bool reading,
                    SFoundRadio found);
    bool Transfer();
    void ShowProgress();
    // Before a write: the radio's memory as it is, kept as a parameter file.
    bool TakeBackup();
    // After a write: the radio read back and compared with what was written.
    bool VerifyWrite();
    // The radio's answer to the end of the write session was lost and its bank does not show
    // the write (a radio with one bank never switches): what the radio now holds decides.
    bool WrittenDespiteLostEnd();

    std::unique_ptr<CRadioNet> net;
    IRadioRW* rw;
    // Every call that touches the set is handed to the UI thread; the view follows each read.
    const fleet::CWriteSteps steps_;
    bool reading_;
    SFoundRadio found_;  // the radio on the link, which a read-back must find again
    int progress = 0;
    std::string failureText_;  // the message of a failure that says more than the usual one
    // Why the link broke (the adapter unplugged), said after the failure's message.
    std::string linkFailure_;
    void NoteLinkFailure(const std::string& failure);
    std::string backupFile_;
    bool writeUnconfirmed_ = false;
    ESessionEnd sessionEnd_ = ESessionEnd::Open;
};
