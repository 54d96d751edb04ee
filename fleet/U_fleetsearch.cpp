#include "U_fleetsearch.h"

namespace fleet {

namespace {

// The model's recogniser for one search, given back on every path.
class CQualifierLease {
  public:
    explicit CQualifierLease(IRadio& radio)
        : ware_(*radio.Ware()), qualifier_(ware_.CreateQualifier(&radio)) {}
    ~CQualifierLease() {
        if (qualifier_) ware_.ReleaseQualifier(qualifier_);
    }
    CQualifierLease(const CQualifierLease&) = delete;
    CQualifierLease& operator=(const CQualifierLease&) = delete;
    IRadioQualifier* Get() const { return qualifier_; }

  private:
    IRadioWare& ware_;
    IRadioQualifier* qualifier_;
};

}  // namespace

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
    const CQualifierLease qualifier(wanted);
    if (!qualifier.Get()) return nullptr;
    return OpenRadio(*qualifier.Get(), ports_, serial);
}

}  // namespace fleet
