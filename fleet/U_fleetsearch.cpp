#include "U_fleetsearch.h"

#include "U_qualifierlease.h"

namespace fleet {

std::vector<SRadioInRange> CLinkFleetRadios::InRange(IRadio& wanted) {
    const CQualifierLease qualifier(wanted);
    if (!qualifier.Get()) return {};
    std::vector<SRadioInRange> found;
    if (wanted.Ware()->LinkKinds() & PR_NET_IRDA) {
        // Every infrared radio names its model and serial number in its identification:
        // enough to tell them apart, nothing of their memory is read.
        SIrdaSearch search;
        search.wanted = [&found](const CRadioInfo& info) {
            found.push_back({info.FW(), info.SN()});
            return false;
        };
        SearchIrda(ports_.Irda(), *qualifier.Get(), search);
        return found;
    }
    // The serial identification has no serial number: only the model's recogniser tells it.
    for (const SFoundRadio& radio : ListRadios(*qualifier.Get(), ports_))
        found.push_back({radio.model, radio.serialNumber});
    return found;
}

std::unique_ptr<CRadioNet> CLinkFleetRadios::Open(IRadio& wanted, const std::string& serial) {
    openedIrda_ = (wanted.Ware()->LinkKinds() & PR_NET_IRDA) != 0;
    const CQualifierLease qualifier(wanted);
    if (!qualifier.Get()) return nullptr;
    return OpenRadio(*qualifier.Get(), ports_, serial);
}

std::string CLinkFleetRadios::Failure() const {
    return openedIrda_ ? ports_.Irda().failure() : ports_.Serial().failure();
}

}  // namespace fleet
