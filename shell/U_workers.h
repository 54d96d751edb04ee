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

#include "U_radionet.h"

class CRadios;

// What every worker shares: its registration with the list's tracker and the hand-off.
class TRadioWorker : public QThread {
    Q_OBJECT
  protected:
    explicit TRadioWorker(CRadios& radios);
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

    CRadios& radios_;
    std::string statusText;
};

class TFind4RWThread final : public TRadioWorker {
    Q_OBJECT
  public:
    // Creates and starts the search for radio (readMode: a read, else a write).
    static void Launch(CRadios& radios, IRadio* radio, bool readMode);

  protected:
    void run() override;

  private:
    TFind4RWThread(CRadios& radios, IRadio* radio, bool readMode);
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

// The read and write workers differ only in the exchange's start and their texts.
class TTransferThread : public TRadioWorker {
    Q_OBJECT
  public:
    struct STexts {
        const char* start;
        const char* error;
        const char* success;
    };

  protected:
    TTransferThread(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw, bool reading,
                    SFoundRadio found);
    void run() override;

  private:
    bool Transfer();
    void ShowProgress();
    // A whole read with an exchange object of its own on the same link; the radio's memory is
    // then in the parameter set.
    bool ReadWhole();
    // Before a write: the radio's memory as it is, kept as a parameter file.
    bool TakeBackup();
    // After a write: the radio read back and compared with what was written.
    bool VerifyWrite();
    // The radio's answer to the end of the write session was lost and its bank does not show
    // the write (a radio with one bank never switches): what the radio now holds decides.
    bool WrittenDespiteLostEnd();

    std::unique_ptr<CRadioNet> net;
    IRadioRW* rw;
    bool reading_;
    SFoundRadio found_;  // the radio on the link, which a read-back must find again
    int progress = 0;
    std::string failureText_;  // the message of a failure that says more than the usual one
    std::string backupFile_;
    bool writeUnconfirmed_ = false;
    ESessionEnd sessionEnd_ = ESessionEnd::Open;
};

class TReadThread final : public TTransferThread {
    Q_OBJECT
  public:
    static void Launch(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                       SFoundRadio found);

  private:
    using TTransferThread::TTransferThread;
};

class TWriteThread final : public TTransferThread {
    Q_OBJECT
  public:
    static void Launch(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                       SFoundRadio found);

  private:
    using TTransferThread::TTransferThread;
};
