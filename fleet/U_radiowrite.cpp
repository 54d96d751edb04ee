#include "U_radiowrite.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "U_backup.h"
#include "U_shelltext.h"

namespace fleet {

namespace {

// Gives an exchange object back to its module on every path.
struct SExchange {
    IRadioWare& ware;
    IRadioRW* rw;
    ~SExchange() {
        if (rw) ware.ReleaseRW(rw);
    }
};

// What the radio held before the write, beside the copy on disk: the image and the converter
// type that its own fields are taken from.
struct SRadioSide {
    std::vector<std::uint8_t> image;
    int converterType = -1;
};

class CRadioWrite {
  public:
    CRadioWrite(const SRadioWriteSetup& setup, std::unique_ptr<CRadioNet> net, std::string serial)
        : s_(setup), net_(std::move(net)), serial_(std::move(serial)) {}

    SWriteOutcome Run() {
        SWriteOutcome outcome;
        // The radio's own fields go into the set for this radio only: afterwards the set holds
        // the file's parameters again.
        std::optional<backup::CSetLoan> loan;
        try {
            OnSet([&] { loan.emplace(s_.radio); });
            outcome = Write();
        } catch (const std::exception& error) {
            outcome.result = EResult::Failed;
            outcome.message = error.what();
        } catch (...) {
            outcome.result = EResult::Failed;
            outcome.message = shelltext::kWriteError;
        }
        net_.reset();
        if (loan) OnSet([&] { loan.reset(); });
        outcome.backup = backup_;
        if (outcome.result == EResult::Failed && !backup_.empty())
            outcome.message = backup::WithBackupNote(outcome.message, backup_);
        return outcome;
    }

  private:
    void OnSet(const std::function<void()>& call) const {
        if (s_.onSet)
            s_.onSet(call);
        else
            call();
    }
    void Progress(const std::string& status, int percent) const {
        if (s_.progress) s_.progress(status, percent);
    }
    CRadioData& Data() const { return RequireOwnRadioData(s_.radio.Data()); }

    // A whole read on the current link; the radio's memory is then in the set.
    bool ReadWhole() {
        IRadioWare& ware = *s_.radio.Ware();
        const SExchange reader{ware, ware.CreateRW(&s_.radio, net_->link())};
        if (!reader.rw) return false;
        OnSet([&] { reader.rw->BeginRead(); });
        bool done = false;
        OnSet([&] { done = reader.rw->IsDone(); });
        while (!done) {
            if (!reader.rw->Step()) return false;
            OnSet([&] { done = reader.rw->IsDone(); });
        }
        return true;
    }

    // The radio's memory as it is, kept as a parameter file.
    std::optional<SRadioSide> TakeBackup() {
        Progress(shelltext::kBackupStart, -1);
        std::optional<backup::CSetLoan> loan;
        OnSet([&] { loan.emplace(s_.radio); });
        bool read = false;
        try {
            read = ReadWhole();
        } catch (...) {
            read = false;
        }
        std::optional<SRadioSide> side;
        OnSet([&] {
            if (read) {
                try {
                    backup_ = backup::SaveBackup(s_.radio, s_.backupFolder);
                    side.emplace(SRadioSide{std::vector<std::uint8_t>(Data().ImageSize()),
                                            Data().RadioConverterType()});
                    Data().EncodeImage(side->image);
                } catch (const std::exception&) {
                    backup_.clear();
                    side.reset();
                }
            }
            loan.reset();
        });
        return side;
    }

    // The radio read back over a fresh link to the same radio (it has changed banks) and
    // compared with what was written; "" when it holds what was written, else the message.
    std::string Verify() {
        Progress(shelltext::kVerifyStart, -1);
        std::string expected;
        std::optional<backup::CSetLoan> loan;
        OnSet([&] {
            expected = backup::BodyAfterWrite(s_.radio);
            loan.emplace(s_.radio);
        });
        bool read = false;
        try {
            net_.reset();
            net_ = s_.radios.Open(s_.radio, serial_);
            read = net_ && ReadWhole();
        } catch (...) {
            read = false;
        }
        std::vector<std::string> differing;
        OnSet([&] {
            if (read) differing = backup::DifferingKeys(expected, backup::Body(Data()));
            loan.reset();
        });
        net_.reset();
        if (!read) return shelltext::kVerifyReadError;
        return differing.empty() ? std::string() : backup::VerifyFailureText(differing);
    }

    SWriteOutcome Write() {
        const std::optional<SRadioSide> side = TakeBackup();
        if (!side) return {EResult::Failed, shelltext::kBackupError, {}};
        // What belongs to the radio stays the radio's: the fields only its memory carries and
        // the converter type found in it; its serial number came with the link.
        std::string invalid;
        bool valid = false;
        OnSet([&] {
            Data().TakeImageOnlyFields(side->image);
            Data().SetRadioConverterType(side->converterType);
            valid = s_.radio.Data()->Validate(invalid);
        });
        if (!valid) return {EResult::Skipped, invalid, {}};

        Progress(shelltext::kWriteStart, 0);
        IRadioWare& ware = *s_.radio.Ware();
        const SExchange writer{ware, ware.CreateRW(&s_.radio, net_->link())};
        if (!writer.rw) return {EResult::Failed, shelltext::kWriteError, {}};
        OnSet([&] { writer.rw->BeginWrite(); });
        bool done = false;
        OnSet([&] { done = writer.rw->IsDone(); });
        while (!done) {
            if (!writer.rw->Step()) return LostEnd();
            Progress(shelltext::kWriteStart, writer.rw->Progress());
            OnSet([&] { done = writer.rw->IsDone(); });
        }
        const bool unconfirmed = net_->WriteUnconfirmed();
        if (std::string differing = Verify(); !differing.empty())
            return {EResult::Failed, differing, {}};
        return {EResult::Written,
                unconfirmed ? shelltext::kWriteUnconfirmed : shelltext::kWriteDone,
                {}};
    }

    // A failed step. When only the answer to the end of the session was lost and the radio's
    // bank does not show the write (one bank never switches), what the radio now holds decides.
    SWriteOutcome LostEnd() {
        const ESessionEnd end = net_->SessionEnd();
        const std::string failure =
            end == ESessionEnd::Unknown ? shelltext::kWriteUnknown : shelltext::kWriteError;
        if (end != ESessionEnd::NotTaken && end != ESessionEnd::Unknown)
            return {EResult::Failed, failure, {}};
        if (Verify().empty()) return {EResult::Written, shelltext::kWriteUnconfirmed, {}};
        return {EResult::Failed, failure, {}};
    }

    const SRadioWriteSetup& s_;
    std::unique_ptr<CRadioNet> net_;
    std::string serial_;
    std::filesystem::path backup_;
};

}  // namespace

SWriteOutcome WriteRadio(const SRadioWriteSetup& setup, std::unique_ptr<CRadioNet> net,
                         const std::string& serial) {
    if (!net) return {EResult::Failed, shelltext::kRadioNotFound, {}};
    return CRadioWrite(setup, std::move(net), serial).Run();
}

}  // namespace fleet
