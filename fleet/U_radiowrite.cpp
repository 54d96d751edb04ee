#include "U_radiowrite.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "U_backup.h"
#include "U_transfertext.h"

namespace fleet {

namespace {

// What the radio held before the write, beside the copy on disk: the image and the converter
// type that its own fields are taken from.
struct SRadioSide {
    std::vector<std::uint8_t> image;
    int converterType = -1;
};

class CRadioWrite {
  public:
    CRadioWrite(const SRadioWriteSetup& setup, std::unique_ptr<CRadioNet> net, std::string serial)
        : s_(setup),
          steps_(setup.radio, setup.onSet),
          net_(std::move(net)),
          serial_(std::move(serial)) {}

    SWriteOutcome Run() {
        SWriteOutcome outcome;
        // The radio's own fields go into the set for this radio only: afterwards the set holds
        // the file's parameters again.
        std::optional<backup::CSetLoan> loan;
        try {
            steps_.OnSet([&] { loan.emplace(s_.radio); });
            outcome = Write();
        } catch (const std::exception& error) {
            outcome.result = EResult::Failed;
            outcome.message = error.what();
        } catch (...) {
            outcome.result = EResult::Failed;
            outcome.message = transfertext::kWriteError;
        }
        net_.reset();
        if (loan) steps_.OnSet([&] { loan.reset(); });
        outcome.backup = backup_;
        if (outcome.result == EResult::Failed && !backup_.empty())
            outcome.message = backup::WithBackupNote(outcome.message, backup_);
        return outcome;
    }

  private:
    void Progress(const std::string& status, int percent) const {
        if (s_.progress) s_.progress(status, percent);
    }
    CRadioData& Data() const { return RequireOwnRadioData(s_.radio.Data()); }

    // The radio's memory as it is, kept as a parameter file.
    std::optional<SRadioSide> TakeBackup() {
        Progress(transfertext::kBackupStart, -1);
        std::optional<SRadioSide> side;
        backup_ = steps_
                      .TakeBackup(
                          *net_, s_.backupFolder,
                          [&] {
                              side.emplace(SRadioSide{std::vector<std::uint8_t>(Data().ImageSize()),
                                                      Data().RadioConverterType()});
                              Data().EncodeImage(side->image);
                          })
                      .file;
        if (backup_.empty()) side.reset();
        return side;
    }

    // The radio read back over a fresh link to the same radio (it has changed banks) and
    // compared with what was written; "" when it holds what was written, else the message.
    std::string Verify() {
        Progress(transfertext::kVerifyStart, -1);
        const auto differing =
            steps_.ReadBack(net_, [this] { return s_.radios.Open(s_.radio, serial_); });
        // The new link's word, or the search's when no link was made.
        const std::string failure = net_ ? net_->Failure() : s_.radios.Failure();
        net_.reset();
        return ReadBackFailureText(differing, failure);
    }

    SWriteOutcome Write() {
        const std::optional<SRadioSide> side = TakeBackup();
        if (!side)
            return {EResult::Failed,
                    transfertext::WithFailure(transfertext::kBackupError, net_->Failure()),
                    {}};
        // What belongs to the radio stays the radio's: the fields only its memory carries and
        // the converter type found in it; its serial number came with the link.
        std::string invalid;
        bool valid = false;
        steps_.OnSet([&] {
            Data().TakeImageOnlyFields(side->image);
            Data().SetRadioConverterType(side->converterType);
            valid = s_.radio.Data()->Validate(invalid);
        });
        if (!valid) return {EResult::Skipped, invalid, {}};

        Progress(transfertext::kWriteStart, 0);
        const CExchangeLease writer(s_.radio, *net_);
        if (!writer.Get()) return {EResult::Failed, transfertext::kWriteError, {}};
        const bool stepped = steps_.Exchange(*writer.Get(), false, [this](int percent) {
            Progress(transfertext::kWriteStart, percent);
        });
        if (!stepped) return LostEnd();
        const bool unconfirmed = net_->WriteUnconfirmed();
        if (std::string differing = Verify(); !differing.empty())
            return {EResult::Failed, differing, {}};
        return {EResult::Written,
                unconfirmed ? transfertext::kWriteUnconfirmed : transfertext::kWriteDone,
                {}};
    }

    // A failed step: when the write may still have reached the radio, what it now holds decides.
    SWriteOutcome LostEnd() {
        const ESessionEnd end = net_->SessionEnd();
        // Asked before the read-back replaces the link.
        const std::string failure =
            transfertext::WithFailure(WriteFailureText(end), net_->Failure());
        if (!MayBeWritten(end)) return {EResult::Failed, failure, {}};
        if (Verify().empty()) return {EResult::Written, transfertext::kWriteUnconfirmed, {}};
        return {EResult::Failed, failure, {}};
    }

    const SRadioWriteSetup& s_;
    const CWriteSteps steps_;
    std::unique_ptr<CRadioNet> net_;
    std::string serial_;
    std::filesystem::path backup_;
};

}  // namespace

SWriteOutcome WriteRadio(const SRadioWriteSetup& setup, std::unique_ptr<CRadioNet> net,
                         const std::string& serial) {
    if (!net) return {EResult::Failed, transfertext::kRadioNotFound, {}};
    return CRadioWrite(setup, std::move(net), serial).Run();
}

}  // namespace fleet
