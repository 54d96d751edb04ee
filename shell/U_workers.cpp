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

SRadioSearch TFind4RWThread::Search(IRadio* candidate) {
    IRadioWare* ware = candidate->Ware();
    statusText = shelltext::SearchText(candidate->Name());
    ShowStatus();
    const SQualifierLease lease{ware, ware->CreateQualifier(candidate)};
    if (!lease.qualifier) return {};
    return SearchRadios(*lease.qualifier, radios_.Ports());
}

SRadioSearch TFind4RWThread::SearchOtherModels() {
    // The list does not change after start-up, so it is read here directly.
    IRadio* const wanted = radio;
    for (int i = 0; i < radios_.Count(); ++i) {
        IRadio* candidate = radios_.Get(i).radio;
        if (candidate == wanted) continue;
        // A busy adapter or a radio gone quiet: the other models would meet the same.
        if (radios_.Ports().Irda().searchAgainUseless()) break;
        SRadioSearch found = Search(candidate);
        if (found.found.empty()) continue;
        // Said before the selection moves, so that the switch does not come unexplained.
        statusText = shelltext::FallbackText(wanted->Name(), candidate->Name());
        ShowStatus();
        radio = candidate;
        foundIndex = i;
        HandOff([this] { radios_.Select(foundIndex); });
        return found;
    }
    return {};
}

std::optional<SFoundRadio> TFind4RWThread::Choose(const std::vector<SFoundRadio>& found) {
    if (found.size() == 1) return found.front();
    std::vector<std::string> serials;
    for (const SFoundRadio& each : found) serials.push_back(each.serialNumber);
    std::optional<std::size_t> chosen;
    HandOff([this, &serials, &chosen] {
        const std::string last = radios_.LastSerial(radio);
        std::size_t preselected = 0;
        for (std::size_t i = 0; i < serials.size(); ++i)
            if (serials[i] == last) preselected = i;
        chosen = radios_.Dialogs().ChooseRadio(radio->Name(), serials, preselected);
    });
    if (!chosen || *chosen >= found.size()) return std::nullopt;
    return found[*chosen];
}

std::unique_ptr<CRadioNet> TFind4RWThread::Open(const SFoundRadio& chosen) {
    IRadioWare* ware = radio->Ware();
    const SQualifierLease lease{ware, ware->CreateQualifier(radio)};
    if (!lease.qualifier) return nullptr;
    return OpenRadio(*lease.qualifier, radios_.Ports(), chosen.serialNumber);
}

void TFind4RWThread::Finish() {
    HandOff([this] {
        radios_.Window().SetClearTimer(true);
        radios_.Window().SetIdle();
    });
}

void TFind4RWThread::NotFound() {
    statusText =
        shelltext::RadioNotFoundText(radios_.Ports().IrdaPlatform(), radios_.Ports().Irda());
    ShowStatus();
    Finish();
}

void TFind4RWThread::Cancelled() {
    statusText.clear();
    ShowStatus();
    HandOff([this] { radios_.Window().SetIdle(); });
}

void TFind4RWThread::run() {
    HandOff([this] {
        radios_.Window().SetBusy();
        radios_.Window().SetClearTimer(false);  // the search messages stay
    });
    // Nothing may escape the thread: whatever the plug-in or the link throws, the link is
    // closed, the exchange object given back and the window returned to idle.
    try {
        SRadioSearch found = Search(radio);
        if (found.found.empty() && readMode) found = SearchOtherModels();
        if (found.found.empty()) return NotFound();
        const std::optional<SFoundRadio> chosen = Choose(found.found);
        if (!chosen) return Cancelled();
        // A lone radio may still be connected; otherwise it is connected again, and between the
        // search and now it may have left.
        std::unique_ptr<CRadioNet> net = std::move(found.net);
        if (!net) net = Open(*chosen);
        if (!net) return NotFound();
        HandOff([this, &chosen] { radios_.RememberSerial(radio, chosen->serialNumber); });
        statusText = shelltext::RadioFoundText(radio->Name(), chosen->serialNumber);
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
            TWriteThread::Launch(radios_, std::move(net), exchange.Take(), *chosen);
            return;
        }
        HandOff([this] { cancelled = !radios_.QuerySaveChanges(""); });
        if (cancelled) {
            net.reset();
            exchange.Release();
            return Cancelled();
        }
        TReadThread::Launch(radios_, std::move(net), exchange.Take(), *chosen);
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
                                 bool reading, SFoundRadio found)
    : TRadioWorker(radios),
      net(std::move(net)),
      rw(rw),
      reading_(reading),
      found_(std::move(found)) {}

void TReadThread::Launch(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                         SFoundRadio found) {
    StartOwned(new TReadThread(radios, std::move(net), rw, true, std::move(found)));
}

void TWriteThread::Launch(CRadios& radios, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                          SFoundRadio found) {
    StartOwned(new TWriteThread(radios, std::move(net), rw, false, std::move(found)));
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
        // The very radio written, not merely the first of its model in range.
        if (qualifier.qualifier)
            net = OpenRadio(*qualifier.qualifier, radios_.Ports(), found_.serialNumber);
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
    statusText = shelltext::WithRadio(statusText, rw->Radio()->Name(), found_.serialNumber);
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
