#include "U_writesteps.h"

#include <exception>
#include <utility>

#include "U_backup.h"
#include "U_transfertext.h"

namespace fleet {

CWriteSteps::CWriteSteps(IRadio& radio, SetCaller onSet, bool refreshView)
    : radio_(radio), onSet_(std::move(onSet)), refreshView_(refreshView) {}

void CWriteSteps::OnSet(const std::function<void()>& call) const {
    if (onSet_)
        onSet_(call);
    else
        call();
}

bool CWriteSteps::Exchange(IRadioRW& rw, bool reading,
                           const std::function<void(int)>& progress) const {
    // Only Step talks to the radio. Beginning a write encodes the set and the last IsDone of a
    // read decodes into it: both run where the set may be touched.
    OnSet([&] { reading ? rw.BeginRead() : rw.BeginWrite(); });
    bool done = false;
    OnSet([&] { done = rw.IsDone(); });
    while (!done) {
        if (!rw.Step()) return false;
        if (progress) progress(rw.Progress());
        OnSet([&] { done = rw.IsDone(); });
    }
    return true;
}

bool CWriteSteps::ReadWhole(CRadioNet& net) const {
    const CExchangeLease reader(radio_, net);
    return reader.Get() && Exchange(*reader.Get(), true);
}

SBackupCopy CWriteSteps::TakeBackup(CRadioNet& net, const std::filesystem::path& folder,
                                    const std::function<void()>& withMemory) const {
    std::optional<backup::CSetLoan> loan;
    OnSet([&] { loan.emplace(radio_); });
    bool read = false;
    try {
        read = ReadWhole(net);
    } catch (...) {
        read = false;
    }
    SBackupCopy copy;
    OnSet([&] {
        if (read) {
            try {
                copy.file = backup::SaveBackup(radio_, folder);
                if (withMemory) withMemory();
            } catch (const std::exception& error) {
                copy.file.clear();
                copy.problem = error.what();
            }
        }
        loan.reset();
        if (refreshView_) radio_.Ware()->UpdateView();
    });
    return copy;
}

std::optional<std::vector<std::string>> CWriteSteps::ReadBack(std::unique_ptr<CRadioNet>& net,
                                                              const RadioOpener& open) const {
    std::string expected;
    std::optional<backup::CSetLoan> loan;
    OnSet([&] {
        expected = backup::BodyAfterWrite(radio_);
        loan.emplace(radio_);
    });
    bool read = false;
    try {
        net.reset();
        net = open();
        read = net && ReadWhole(*net);
    } catch (...) {
        read = false;
    }
    std::optional<std::vector<std::string>> differing;
    OnSet([&] {
        if (read)
            differing =
                backup::DifferingKeys(expected, backup::Body(RequireOwnRadioData(radio_.Data())));
        loan.reset();
        if (refreshView_) radio_.Ware()->UpdateView();
    });
    return differing;
}

bool MayBeWritten(ESessionEnd end) {
    return end == ESessionEnd::NotTaken || end == ESessionEnd::Unknown;
}

const char* WriteFailureText(ESessionEnd end) {
    return end == ESessionEnd::Unknown ? transfertext::kWriteUnknown : transfertext::kWriteError;
}

std::string TransferFailureText(bool reading, const CRadioNet& net) {
    return transfertext::WithFailure(
        reading ? transfertext::kReadError : WriteFailureText(net.SessionEnd()), net.Failure());
}

std::string ReadBackFailureText(const std::optional<std::vector<std::string>>& differing,
                                const std::string& failure) {
    if (!differing) return transfertext::WithFailure(transfertext::kVerifyReadError, failure);
    return differing->empty() ? std::string() : backup::VerifyFailureText(*differing);
}

}  // namespace fleet
