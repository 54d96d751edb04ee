#include "U_wrappingchip.h"

namespace usb {

bool CWrappingChip::Note(EUsbStatus status) {
    if (status != EUsbStatus::Ok) failure_ = status;
    return status == EUsbStatus::Ok;
}

EUsbStatus CWrappingChip::StartFailure() const {
    return failure_ == EUsbStatus::Ok ? EUsbStatus::Failed : failure_;
}

EUsbStatus CWrappingChip::Claim(std::uint8_t interface,
                                std::initializer_list<std::uint8_t> endpoints) {
    failure_ = EUsbStatus::Ok;
    if (const EUsbStatus claim = device_.Claim(interface); claim != EUsbStatus::Ok) return claim;
    interface_ = interface;
    claimed_ = true;
    for (const std::uint8_t endpoint : endpoints)
        if (!Note(device_.ClearHalt(endpoint))) return failure_;
    return EUsbStatus::Ok;
}

void CWrappingChip::Stop() {
    if (claimed_) device_.Release(interface_);
    claimed_ = false;
}

bool CWrappingChip::SendPacket(std::uint8_t endpoint, std::span<const std::uint8_t> packet,
                               Deadline deadline) {
    const SUsbResult result = device_.BulkOut(endpoint, packet, deadline);
    if (result.status == EUsbStatus::Stalled) device_.ClearHalt(endpoint);
    return Note(result.status) && result.count == packet.size();
}

bool CWrappingChip::VendorWrite(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                                Deadline deadline) {
    return Note(device_.Control({kVendorOut, request, value, index}, {}, deadline).status);
}

bool CWrappingChip::VendorRead(std::uint8_t request, std::uint16_t index,
                               std::span<std::uint8_t> data, Deadline deadline) {
    const SUsbResult result = device_.Control({kVendorIn, request, 0, index}, data, deadline);
    if (!Note(result.status)) return false;
    if (result.count != data.size()) {
        failure_ = EUsbStatus::Failed;
        return false;
    }
    return true;
}

bool CWrappingChip::Expired(Deadline deadline) {
    if (LinkClock::now() < deadline) return false;
    failure_ = EUsbStatus::TimedOut;
    return true;
}

}  // namespace usb
