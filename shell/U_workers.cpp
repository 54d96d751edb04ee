#include "U_workers.h"

#include <exception>
#include <optional>
#include <utility>

#include <QCoreApplication>

#include "U_backup.h"
#include "U_dialogs.h"
#include "U_qualifierlease.h"
#include "U_shelltext.h"
#include "U_shellwindow.h"

// ---- common -------------------------------------------------------------------------------

void CWorkerTracker::WaitAll() {
    while (Busy()) {
        // Deleting a finished worker is what ends its count; its hand-offs need the loop too.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (Busy()) QThread::msleep(2);
    }
}

TRadioWorker::TRadioWorker(IWorkerHost& host) : host_(host) {
    host_.Workers().Enter();
}

TRadioWorker::~TRadioWorker() {
    host_.Workers().Leave();
}

template <class Call>
void TRadioWorker::HandOff(Call&& call) {
    if (QThread::currentThread() == host_.HandOffTarget().thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(&host_.HandOffTarget(), std::forward<Call>(call),
                              Qt::BlockingQueuedConnection);
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
    HandOff([this] { host_.Window().ShowStatus(statusText); });
}

void TRadioWorker::StartOwned(TRadioWorker* worker) {
    // A transfer worker is made on the search worker's thread, which ends first; the UI
    // thread's loop deletes it once it has finished.
    if (worker->thread() != worker->host_.HandOffTarget().thread())
        worker->moveToThread(worker->host_.HandOffTarget().thread());
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

// ---- search -------------------------------------------------------------------------------

TFind4RWThread::TFind4RWThread(IWorkerHost& host, IRadio* radio, bool readMode)
    : TRadioWorker(host), radio(radio), readMode(readMode) {}

void TFind4RWThread::Launch(IWorkerHost& host, IRadio* radio, bool readMode) {
    StartOwned(new TFind4RWThread(host, radio, readMode));
}

SRadioSearch TFind4RWThread::Search(IRadio* candidate) {
    statusText = shelltext::SearchText(candidate->Name());
    ShowStatus();
    const CQualifierLease lease(*candidate);
    if (!lease.Get()) return {};
    return SearchRadios(*lease.Get(), host_.Ports());
}

SRadioSearch TFind4RWThread::SearchOtherModels() {
    // The list does not change after start-up, so it is read here directly.
    IRadio* const wanted = radio;
    const std::vector<IRadio*>& radios = host_.Radios();
    for (int i = 0; i < static_cast<int>(radios.size()); ++i) {
        IRadio* candidate = radios[static_cast<std::size_t>(i)];
        if (candidate == wanted) continue;
        // A busy adapter or a radio gone quiet: the other models would meet the same.
        if (host_.Ports().Irda().searchAgainUseless()) break;
        SRadioSearch found = Search(candidate);
        if (found.found.empty()) continue;
        // Said before the selection moves, so that the switch does not come unexplained.
        statusText = shelltext::FallbackText(wanted->Name(), candidate->Name());
        ShowStatus();
        radio = candidate;
        foundIndex = i;
        HandOff([this] { host_.Select(foundIndex); });
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
        const std::string last = host_.LastSerial(radio);
        std::size_t preselected = 0;
        for (std::size_t i = 0; i < serials.size(); ++i)
            if (serials[i] == last) preselected = i;
        chosen = host_.Dialogs().ChooseRadio(radio->Name(), serials, preselected);
    });
    if (!chosen || *chosen >= found.size()) return std::nullopt;
    return found[*chosen];
}

std::unique_ptr<CRadioNet> TFind4RWThread::Open(const SFoundRadio& chosen) {
    const CQualifierLease lease(*radio);
    if (!lease.Get()) return nullptr;
    return OpenRadio(*lease.Get(), host_.Ports(), chosen.serialNumber);
}

void TFind4RWThread::Finish() {
    HandOff([this] {
        host_.Window().SetClearTimer(true);
        host_.Window().SetIdle();
    });
}

void TFind4RWThread::NotFound() {
    statusText = shelltext::RadioNotFoundText(host_.Ports().IrdaPlatform(), host_.Ports().Irda());
    ShowStatus();
    Finish();
}

void TFind4RWThread::Cancelled() {
    statusText.clear();
    ShowStatus();
    HandOff([this] { host_.Window().SetIdle(); });
}

void TFind4RWThread::run() {
    HandOff([this] {
        host_.Window().SetBusy();
        host_.Window().SetClearTimer(false);  // the search messages stay
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
        HandOff([this, &chosen] { host_.RememberSerial(radio, chosen->serialNumber); });
        statusText = shelltext::RadioFoundText(radio->Name(), chosen->serialNumber);
        ShowStatus();
        // Given back unless a transfer worker takes it over.
        fleet::CExchangeLease exchange(*radio, *net);
        if (!exchange.Get()) {
            net.reset();
            statusText = readMode ? shelltext::kReadError : shelltext::kWriteError;
            ShowStatus();
            Finish();
            return;
        }
        if (!readMode) {
            TTransferThread::Launch(host_, std::move(net), exchange.Take(), false, *chosen);
            return;
        }
        HandOff([this] { cancelled = !host_.QuerySaveChanges(""); });
        if (cancelled) {
            net.reset();
            exchange.Release();
            return Cancelled();
        }
        TTransferThread::Launch(host_, std::move(net), exchange.Take(), true, *chosen);
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

TTransferThread::TTransferThread(IWorkerHost& host, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                                 bool reading, SFoundRadio found)
    : TRadioWorker(host),
      net(std::move(net)),
      rw(rw),
      steps_(
          *rw->Radio(), [this](const std::function<void()>& call) { HandOffToPlugIn(call); }, true),
      reading_(reading),
      found_(std::move(found)) {}

void TTransferThread::Launch(IWorkerHost& host, std::unique_ptr<CRadioNet> net, IRadioRW* rw,
                             bool reading, SFoundRadio found) {
    StartOwned(new TTransferThread(host, std::move(net), rw, reading, std::move(found)));
}

void TTransferThread::ShowProgress() {
    const int percent = progress;
    IRadioWare* refresh = (percent == -1 && reading_) ? rw->Radio()->Ware() : nullptr;
    HandOff([this, percent, refresh] {
        host_.Window().ShowProgress(percent);
        // The view shows the parameters just read.
        if (refresh) refresh->UpdateView();
    });
}

bool TTransferThread::TakeBackup() {
    statusText = shelltext::kBackupStart;
    ShowStatus();
    backupFile_ = steps_.TakeBackup(*net, backup::BackupFolder()).file.string();
    if (backupFile_.empty()) {
        failureText_ = shelltext::kBackupError;
        NoteLinkFailure(net->Failure());
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
    // The very radio written, not merely the first of its model in range.
    const auto differing = steps_.ReadBack(net, [this, &radio]() -> std::unique_ptr<CRadioNet> {
        const CQualifierLease qualifier(radio);
        if (!qualifier.Get()) return nullptr;
        return OpenRadio(*qualifier.Get(), host_.Ports(), found_.serialNumber);
    });
    // The new link's word, or the socket's when no link was made; the status line adds it.
    failureText_ = fleet::ReadBackFailureText(differing, {});
    if (!differing) NoteLinkFailure(net ? net->Failure() : host_.Ports().Irda().failure());
    return failureText_.empty();
}

void TTransferThread::NoteLinkFailure(const std::string& failure) {
    // The first is the cause; what follows from it says no more.
    if (linkFailure_.empty()) linkFailure_ = failure;
}

bool TTransferThread::WrittenDespiteLostEnd() {
    sessionEnd_ = net->SessionEnd();
    if (!fleet::MayBeWritten(sessionEnd_)) return false;
    if (!host_.WriteChecks()) return false;
    if (VerifyWrite()) {
        writeUnconfirmed_ = true;
        return true;
    }
    failureText_.clear();  // the write failed; the read-back only told so
    return false;
}

bool TTransferThread::Transfer() {
    const STexts& texts = reading_ ? kReadTexts : kWriteTexts;
    if (!reading_ && host_.WriteChecks() && !TakeBackup()) return false;
    statusText = texts.start;
    ShowStatus();
    progress = 0;
    ShowProgress();
    // The file commands stay available during a transfer and touch the set on the UI thread,
    // where the steps' calls on the set run too, so the two never overlap.
    const bool stepped = steps_.Exchange(*rw, reading_, [this](int percent) {
        progress = percent;
        ShowProgress();
    });
    // No retry: a failed step ends the transfer.
    if (!stepped) {
        NoteLinkFailure(net->Failure());
        return !reading_ && WrittenDespiteLostEnd();
    }
    if (!reading_) writeUnconfirmed_ = net->WriteUnconfirmed();
    if (!reading_ && host_.WriteChecks()) return VerifyWrite();
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
    if (!ok) statusText = shelltext::WithFailure(statusText, linkFailure_);
    statusText = shelltext::WithRadio(statusText, rw->Radio()->Name(), found_.serialNumber);
    if (!ok && !backupFile_.empty()) statusText = backup::WithBackupNote(statusText, backupFile_);
    if (!reading_ && ok) {
        std::string file;
        HandOffToPlugIn([this, &file] { file = rw->Radio()->FileName(); });
        if (!file.empty()) statusText = feedback::FileText(statusText + ": файл", file);
    }
    ShowStatus();
    HandOff([this] { host_.Window().SetClearTimer(true); });
    net.reset();  // closes the link
    progress = -1;
    ShowProgress();
    HandOff([this] { host_.Window().ShowRadioInfo(); });
    rw->Radio()->Ware()->ReleaseRW(rw);
    HandOff([this] { host_.Window().SetIdle(); });
}
