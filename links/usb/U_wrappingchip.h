#pragma once
// What the two adapters that leave the SIR wrapping to the host share: the wrapped bytes go
// through as they are, each frame in one bulk transfer; the failure of the last transfer is
// kept; one interface is claimed; a vendor read counts only when it brought every byte asked.

#include <cstdint>
#include <initializer_list>
#include <span>

#include "U_usbdevice.h"
#include "sir/U_sirline.h"

namespace usb {

class CWrappingChip : public sir::ISirBytes {
  public:
    // Releases the interface Claim took.
    void Stop();
    // The outcome of the last transfer that failed; Ok when none has.
    EUsbStatus LastFailure() const { return failure_; }

  protected:
    explicit CWrappingChip(IUsbDevice& device) : device_(device) {}

    // Claims the interface and clears the endpoints' halts; the failure record starts afresh.
    EUsbStatus Claim(std::uint8_t interface, std::initializer_list<std::uint8_t> endpoints);
    // Keeps a failed outcome; true for Ok.
    bool Note(EUsbStatus status);
    // What a start that did not finish reports: the failure kept, else Failed.
    EUsbStatus StartFailure() const;
    // One wrapped frame, whole, to the bulk OUT endpoint; a stall is cleared for the next.
    bool SendPacket(std::uint8_t endpoint, std::span<const std::uint8_t> packet, Deadline deadline);
    bool VendorWrite(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                     Deadline deadline);
    // A short answer is a failure: half a register is no value to act on.
    bool VendorRead(std::uint8_t request, std::uint16_t index, std::span<std::uint8_t> data,
                    Deadline deadline);
    // True, with TimedOut kept, once the deadline has come.
    bool Expired(Deadline deadline);

    IUsbDevice& device_;
    EUsbStatus failure_ = EUsbStatus::Ok;

  private:
    std::uint8_t interface_ = 0;
    bool claimed_ = false;
};

}  // namespace usb
