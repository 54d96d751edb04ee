#include "U_fleet.h"

#include <thread>
#include <utility>

namespace fleet {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kStopCheck{20};

}  // namespace

CLinkRadioWriter::CLinkRadioWriter(IFleetRadios& radios, SetCaller onSet, ProgressSink progress,
                                   std::filesystem::path backupFolder)
    : radios_(radios),
      onSet_(std::move(onSet)),
      progress_(std::move(progress)),
      backupFolder_(std::move(backupFolder)) {}

SWriteOutcome CLinkRadioWriter::Write(IRadio& radio, const std::string& serial) {
    std::unique_ptr<CRadioNet> net;
    try {
        net = radios_.Open(radio, serial);
    } catch (...) {
        net.reset();
    }
    const SRadioWriteSetup setup{radio, radios_, onSet_, progress_, backupFolder_};
    return WriteRadio(setup, std::move(net), serial);
}

CFleetGroup::CFleetGroup(IRadio& radio, IFleetRadios& radios, IRadioWriter& writer, CFleetLog& log,
                         SFleetSettings settings)
    : radio_(radio),
      radios_(radios),
      writer_(writer),
      log_(log),
      settings_(std::move(settings)),
      model_(radio.Ware()->Description()) {}

SFleetCounts CFleetGroup::Run(IFleetObserver& observer) {
    Clock::time_point lastNew = Clock::now();
    bool announced = false;
    while (!observer.ShouldStop()) {
        if (settings_.count > 0 && counts_.written >= settings_.count) break;
        for (std::string& serial : observer.TakeAgain()) {
            done_.erase(serial);
            again_.insert(std::move(serial));
        }
        if (!announced) {
            observer.Searching();
            announced = true;
        }
        if (const std::optional<SRadioInRange> next = Next(observer)) {
            Attempt(*next, observer);
            lastNew = Clock::now();
            announced = false;
            continue;
        }
        if (settings_.wait && Clock::now() - lastNew >= *settings_.wait) break;
        if (!Pause(observer)) break;
    }
    return counts_;
}

std::optional<SRadioInRange> CFleetGroup::Next(IFleetObserver& observer) {
    // The whole range is looked at, so that a radio of another model or one written before is
    // named at once even when a radio to write comes before it.
    std::optional<SRadioInRange> next;
    for (const SRadioInRange& found : radios_.InRange(radio_)) {
        if (found.model != model_) {
            // A radio of another model is named once in the log, then left alone.
            if (foreign_.insert(found.model + '/' + found.serial).second) {
                const SLogRow row{LogTime(),
                                  found.model,
                                  found.serial,
                                  EResult::Skipped,
                                  settings_.file.string(),
                                  settings_.checksum,
                                  {},
                                  "Радиостанция другой модели: файл для " + model_};
                log_.Append(row);
                ++counts_.skipped;
                observer.Done(row);
            }
            continue;
        }
        if (done_.contains(found.serial) || (next && next->serial == found.serial)) continue;
        if (!again_.contains(found.serial) &&
            log_.WasWritten(model_, found.serial, settings_.checksum)) {
            done_.insert(found.serial);
            observer.AlreadyWritten(found);
            continue;
        }
        if (!next) next = found;
    }
    return next;
}

void CFleetGroup::Attempt(const SRadioInRange& radio, IFleetObserver& observer) {
    done_.insert(radio.serial);
    again_.erase(radio.serial);
    observer.Started(radio);
    const SWriteOutcome outcome = writer_.Write(radio_, radio.serial);
    const SLogRow row{LogTime(),
                      model_,
                      radio.serial,
                      outcome.result,
                      settings_.file.string(),
                      settings_.checksum,
                      outcome.backup.string(),
                      outcome.message};
    log_.Append(row);
    switch (outcome.result) {
        case EResult::Written:
            ++counts_.written;
            break;
        case EResult::Failed:
            ++counts_.failed;
            break;
        case EResult::Skipped:
            ++counts_.skipped;
            break;
    }
    observer.Done(row);
}

bool CFleetGroup::Pause(IFleetObserver& observer) const {
    const Clock::time_point until = Clock::now() + settings_.poll;
    while (Clock::now() < until) {
        std::this_thread::sleep_for(std::min<Clock::duration>(kStopCheck, until - Clock::now()));
        if (observer.ShouldStop()) return false;
    }
    return true;
}

}  // namespace fleet
