#include "U_fleetsearch.h"

namespace fleet {

namespace {

std::unique_ptr<CRadioNet> Find(IRadio& radio, CLinkPorts& ports) {
    IRadioWare& ware = *radio.Ware();
    IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
    if (!qualifier) return nullptr;
    std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
    ware.ReleaseQualifier(qualifier);
    return net;
}

}  // namespace

std::vector<SRadioInRange> CLinkFleetRadios::InRange(IRadio& wanted) {
    if (!Find(wanted, ports_)) return {};
    return {{wanted.Ware()->Description(), wanted.SerialNumber()}};
}

std::unique_ptr<CRadioNet> CLinkFleetRadios::Open(IRadio& wanted, const std::string& serial) {
    std::unique_ptr<CRadioNet> net = Find(wanted, ports_);
    if (!net || wanted.SerialNumber() != serial) return nullptr;
    return net;
}

}  // namespace fleet
