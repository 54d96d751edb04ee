#include "U_workers.h"

#include <exception>
#include <optional>
#include <utility>

#include "U_backup.h"
#include "U_radios.h"
#include "U_shelltext.h"

// ---- common -------------------------------------------------------------------------------

TRadioWorker::TRadioWorker(CRadios& radios) : radios_(radios) {
    radios_.Workers().Enter();
}

TRadioWorker::~TRadioWorker() {
    radios_.Workers().Leave();
}

template <class Call>
void TRadioWorker::HandOff(Call&& call) {
    if (QThread::currentThread() == radios_.thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(&radios_, std::forward<Call>(call), Qt::BlockingQueuedConnection);
}

template <class Call>
void TRadioWorker::HandOffToPlugIn(Call&& call) {
    std::exception_ptr failure;
    HandOff([&call, &failure] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure) std::rethrow_exception(failure);
}

void TRadioWorker::ShowStatus() {
    HandOff([this] { radios_.Window().ShowStatus(statusText); });
}

void TRadioWorker::StartOwned(TRadioWorker* worker) {
    // A transfer worker is made on the search worker's thread, which ends first; the UI
    // thread's loop deletes it once it has finished.
    if (worker->thread() != worker->radios_.thread())
        worker->moveToThread(worker->radios_.thread());
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

namespace {

// Gives a recogniser back to its module on every path.
struct SQualifierLease {
    IRadioWare* ware;
    IRadioQualifier* qualifier;
    ~SQualifierLease() {
        if (qualifier) ware->ReleaseQualifier(qualifier);
    }
};

// Gives an exchange object back to its module unless a transfer worker took it over.
struct SExchangeLease {
    IRadioWare* ware = nullptr;
    IRadioRW* rw = nullptr;
    IRadioRW* Take() { return std::exchange(rw, nullptr); }
    void Release() {
        if (rw) ware->ReleaseRW(Take());
    }
    ~SExchangeLease() { Release(); }
};

}  // namespace

// ---- search -------------------------------------------------------------------------------

TFind4RWThread::TFind4RWThread(CRadios& radios, IRadio* radio, bool readMode)
    : TRadioWorker(radios), radio(radio), readMode(readMode) {}

void TFind4RWThread::Launch(CRadios& radios, IRadio* radio, bool readMode) {
    StartOwned(new TFind4RWThread(radios, radio, readMode));
}

std::unique_ptr<CRadioNet> TFind4RWThread::Search(IRadio* candidate) {
    IRadioWare* ware = candidate->Ware();
    statusText = shelltext::SearchText(candidate->Name());
    ShowStatus();
    const SQualifierLease lease{ware, ware->CreateQualifier(candidate)};
    if (!lease.qualifier) return nullptr;
    return FindRadio(*lease.qualifier, radios_.Ports());
}

std::unique_ptr<CRadioNet> TFind4RWThread::SearchOtherModels() {
    // The list does not change after start-up, so it is read here directly.
    const IRadio* first = radio;
    for (int i = 0; i < radios_.Count(); ++i) {
        IRadio* candidate = radios_.Get(i).radio;
        if (candidate == first) continue;
        if (std::unique_ptr<CRadioNet> net = Search(candidate)) {
            radio = candidate;
            foundIndex = i;
            HandOff([this] { radios_.Select(foundIndex); });
            return net;
        }
    }
    return nullptr;
}

void TFind4RWThread::Finish() {
    HandOff([this] {
        radios_.Window().SetClearTimer(true);
        radios_.Window().SetIdle();
    });
}

void TFind4RWThread::run() {
    HandOff([this] {
        radios_.Window().SetBusy();
        radios_.Window().SetClearTimer(false);  // the search messages stay
    });
    // Nothing may escape the thread: whatever the plug-in or the link throws, the link is
    // closed, the exchange object given back and the window returned to idle.
    try {
        std::unique_ptr<CRadioNet> net = Search(radio);
        if (!net && readMode) net = SearchOtherModels();
        if (!net) {
            statusText = shelltext::RadioNotFoundText(radios_.Ports().IrdaPlatform());
            ShowStatus();
            Finish();
            return;
        }
        statusText = shelltext::kRadioFound;
        ShowStatus();
        SExchangeLease exchange{radio->Ware(), radio->Ware()->CreateRW(radio, net->link())};
        if (!exchange.rw) {
            net.reset();
            statusText = readMode ? shelltext::kReadError : shelltext::kWriteError;
            ShowStatus();
            Finish();
            return;
        }
        if (!readMode) {
            TWriteThread::Launch(radios_, std::move(net), exchange.Take());
            return;
        }
        HandOff([this] { cancelled = !radios_.QuerySaveChanges(""); });
        if (cancelled) {
            net.reset();
            exchange.Release();
            statusText.clear();
            ShowStatus();
            HandOff([this] { radios_.Window().SetIdle(); });
            return;
        }
        TReadThread::Launch(radios_, std::move(net), exchange.Take());
    } catch (...) {
        statusText = readMode ? shelltext::kReadError : shelltext::kWriteError;
        ShowStatus();
        Finish();
    }
}

// ---- transfer -----------------------------------------------------------------------------

namespace {

constexpr TTransferThread::STexts kReadTexts{shelltext::kReadStart, shelltext::kReadError,
                                             shelltext::kReadDone};
constexpr TTransferThread::STexts kWriteTexts{shelltext::kWriteStart, shelltext::kWriteError,
                                              shelltext::kWriteDone};

}  // namespace

TTransferThread::TTransferThread(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                                 bool reading)
    : TRadioWorker(radios), net(std::move(net)), rw(rw), reading_(reading) {}

void TReadThread::Launch(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw) {
    StartOwned(new TReadThread(radios, std::move(net), rw, true));
}

void TWriteThread::Launch(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw) {
    StartOwned(new TWriteThread(radios, std::move(net), rw, false));
}

void TTransferThread::ShowProgress() {
    const int percent = progress;
    IRadioWare* refresh = (percent == -1 && reading_) ? rw->Radio()->Ware() : nullptr;
    HandOff([this, percent, refresh] {
        radios_.Window().ShowProgress(percent);
        // The view shows the parameters just read.
        if (refresh) refresh->UpdateView();
    });
}

bool TTransferThread::ReadWhole() {
    IRadio* radio = rw->Radio();
    IRadioWare* ware = radio->Ware();
    SExchangeLease reader{ware, ware->CreateRW(radio, net->link())};
    if (!reader.rw) return false;
    HandOffToPlugIn([&reader] { reader.rw->BeginRead(); });
    bool done = false;
    HandOffToPlugIn([&reader, &done] { done = reader.rw->IsDone(); });
    while (!done) {
        if (!reader.rw->Step()) return false;
        HandOffToPlugIn([&reader, &done] { done = reader.rw->IsDone(); });
    }
    return true;
}

bool TTransferThread::TakeBackup() {
    IRadio& radio = *rw->Radio();
    statusText = shelltext::kBackupStart;
    ShowStatus();
    std::optional<backup::CSetLoan> loan;
    HandOffToPlugIn([&] { loan.emplace(radio); });
    bool read = false;
    try {
        read = ReadWhole();
    } catch (...) {
        read = false;
    }
    HandOffToPlugIn([&] {
        try {
            if (read) backupFile_ = backup::SaveBackup(radio, backup::BackupFolder()).string();
        } catch (const std::exception&) {
            backupFile_.clear();
        }
        loan.reset();
        radio.Ware()->UpdateView();
    });
    if (backupFile_.empty()) {
        failureText_ = shelltext::kBackupError;
        return false;
    }
    // Shown only for a moment before the write goes on, but kept in the message log.
    statusText = feedback::FileText("Копия параметров радиостанции сохранена в файле", backupFile_);
    ShowStatus();
    return true;
}

bool TTransferThread::VerifyWrite() {
    IRadio& radio = *rw->Radio();
    statusText = shelltext::kVerifyStart;
    ShowStatus();
    std::string expected;
    std::optional<backup::CSetLoan> loan;
    HandOffToPlugIn([&] {
        expected = backup::BodyAfterWrite(radio);
        loan.emplace(radio);
    });
    // The radio changed banks at the end of the write: a fresh connection learns which one it
    // now uses.
    bool read = false;
    try {
        net.reset();
        const SQualifierLease qualifier{radio.Ware(), radio.Ware()->CreateQualifier(&radio)};
        if (qualifier.qualifier) net = FindRadio(*qualifier.qualifier, radios_.Ports());
        read = net && ReadWhole();
    } catch (...) {
        read = false;
    }
    std::vector<std::string> differing;
    HandOffToPlugIn([&] {
        if (read)
            differing =
                backup::DifferingKeys(expected, backup::Body(RequireOwnRadioData(radio.Data())));
        loan.reset();
        radio.Ware()->UpdateView();
    });
    if (!read)
        failureText_ = shelltext::kVerifyReadError;
    else if (!differing.empty())
        failureText_ = backup::VerifyFailureText(differing);
    return read && differing.empty();
}

bool TTransferThread::WrittenDespiteLostEnd() {
    sessionEnd_ = net->SessionEnd();
    if (sessionEnd_ != ESessionEnd::NotTaken && sessionEnd_ != ESessionEnd::Unknown) return false;
    if (!radios_.WriteChecks()) return false;
    if (VerifyWrite()) {
        writeUnconfirmed_ = true;
        return true;
    }
    failureText_.clear();  // the write failed; the read-back only told so
    return false;
}

bool TTransferThread::Transfer() {
    const STexts& texts = reading_ ? kReadTexts : kWriteTexts;
    if (!reading_ && radios_.WriteChecks() && !TakeBackup()) return false;
    statusText = texts.start;
    ShowStatus();
    progress = 0;
    ShowProgress();
    // Only Step talks to the radio. Beginning a write encodes the parameter set, and the last
    // IsDone of a read decodes into it: both run on the UI thread, where the file commands,
    // which stay available during a transfer, also touch the set, so the two never overlap.
    HandOffToPlugIn([this] { reading_ ? rw->BeginRead() : rw->BeginWrite(); });
    bool done = false;
    HandOffToPlugIn([this, &done] { done = rw->IsDone(); });
    while (!done) {
        // No retry: a failed step ends the transfer.
        if (!rw->Step()) return !reading_ && WrittenDespiteLostEnd();
        progress = rw->Progress();
        ShowProgress();
        HandOffToPlugIn([this, &done] { done = rw->IsDone(); });
    }
    if (!reading_) writeUnconfirmed_ = net->WriteUnconfirmed();
    if (!reading_ && radios_.WriteChecks()) return VerifyWrite();
    return true;
}

void TTransferThread::run() {
    const STexts& texts = reading_ ? kReadTexts : kWriteTexts;
    bool ok = false;
    // Nothing may escape the thread: the link is closed and the exchange object given back
    // whatever the plug-in or the link throws.
    try {
        ok = Transfer();
    } catch (...) {
        ok = false;
    }
    statusText = ok ? texts.success : failureText_.empty() ? texts.error : failureText_;
    // The radio's answer to the end of a write session was lost: say what the radio, asked
    // again, told of its bank (the read-back, when it ran, has confirmed the parameters).
    if (!reading_ && ok && writeUnconfirmed_) statusText = shelltext::kWriteUnconfirmed;
    if (!reading_ && !ok && sessionEnd_ == ESessionEnd::Unknown)
        statusText = shelltext::kWriteUnknown;
    if (!ok && !backupFile_.empty()) statusText = backup::WithBackupNote(statusText, backupFile_);
    if (!reading_ && ok) {
        std::string file;
        HandOffToPlugIn([this, &file] { file = rw->Radio()->FileName(); });
        if (!file.empty()) statusText = feedback::FileText(statusText + ": файл", file);
    }
    ShowStatus();
    HandOff([this] { radios_.Window().SetClearTimer(true); });
    net.reset();  // closes the link
    progress = -1;
    ShowProgress();
    HandOff([this] { radios_.Window().ShowRadioInfo(); });
    rw->Radio()->Ware()->ReleaseRW(rw);
    HandOff([this] { radios_.Window().SetIdle(); });
}
