#pragma once
// A USB device as the adapter drivers see it: what its descriptors say, control transfers,
// bulk transfers in and out that end by the caller's deadline, the claim of an interface, and
// the outcomes mapped to what a driver must tell apart (a stalled endpoint, a device that has
// gone, a transfer that ran out of time).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "U_irdaplatform.h"

namespace usb {

enum class EUsbStatus {
    Ok,
    TimedOut,  // the deadline passed; what moved before it is counted
    Stalled,   // the endpoint or the control request was refused
    Gone,      // the device was unplugged, or never there
    Denied,    // this user may not open it
    Busy,      // another program holds the interface
    Failed,    // anything else (access, overflow, an I/O error of the host)
};

struct SUsbResult {
    EUsbStatus status = EUsbStatus::Failed;
    std::size_t count = 0;  // bytes moved

    bool Ok() const { return status == EUsbStatus::Ok; }
};

struct SUsbEndpoint {
    std::uint8_t address = 0;  // bit 7 set: in
    std::uint8_t attributes = 0;
    std::uint16_t maxPacket = 0;

    bool IsIn() const { return (address & 0x80) != 0; }
    bool IsBulk() const { return (attributes & 0x03) == 0x02; }
};

struct SUsbInterface {
    std::uint8_t number = 0;
    std::uint8_t interfaceClass = 0;
    std::uint8_t subclass = 0;
    std::vector<SUsbEndpoint> endpoints;
    std::vector<std::uint8_t> extra;  // class-specific descriptors that follow the interface's
};

// What the bus tells of a plugged device, without opening it.
struct SUsbDeviceInfo {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string busPath;  // "BUS-PORT[.PORT...]", as in /sys/bus/usb/devices
    std::string manufacturer;
    std::string productName;
    std::string serial;
    std::vector<SUsbInterface> interfaces;  // of the active configuration
};

// The setup stage of a control transfer; the data stage's length is the buffer's.
struct SUsbSetup {
    std::uint8_t requestType = 0;  // bit 7 set: data from the device
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;

    bool operator==(const SUsbSetup&) const = default;
};

inline constexpr std::uint8_t kVendorOut = 0x40;  // vendor request to the device
inline constexpr std::uint8_t kVendorIn = 0xC0;
inline constexpr std::uint8_t kClassInInterface = 0xA1;

class IUsbDevice {
  public:
    virtual ~IUsbDevice() = default;
    virtual const SUsbDeviceInfo& Info() const = 0;
    virtual EUsbStatus Claim(std::uint8_t interface) = 0;
    virtual void Release(std::uint8_t interface) = 0;
    // data: written for a request to the device, filled for one from it.
    virtual SUsbResult Control(const SUsbSetup& setup, std::span<std::uint8_t> data,
                               Deadline deadline) = 0;
    virtual SUsbResult BulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data,
                               Deadline deadline) = 0;
    // Ends with what one transfer brought: a short packet ends it before the buffer is full.
    virtual SUsbResult BulkIn(std::uint8_t endpoint, std::span<std::uint8_t> buffer,
                              Deadline deadline) = 0;
    virtual EUsbStatus ClearHalt(std::uint8_t endpoint) = 0;
};

// The host's USB: the devices plugged in, and one of them opened.
class IUsbBus {
  public:
    virtual ~IUsbBus() = default;
    virtual std::vector<SUsbDeviceInfo> Devices() = 0;
    // The device at the info's bus path; nullptr with the reason when it cannot be had.
    virtual std::unique_ptr<IUsbDevice> Open(const SUsbDeviceInfo& info, EUsbStatus& status) = 0;
};

// The bus, asked for afresh on each use (an adapter may have come or gone in between).
using BusFactory = std::function<std::unique_ptr<IUsbBus>()>;

// For the user, in Russian: what the outcome means for the adapter.
std::string StatusText(EUsbStatus status);

// A polling read's next step after a bulk IN that brought no bytes: nothing while it goes on
// (a stalled endpoint cleared first: what it held is lost and the link sends it again, a
// pause before the next poll), else the read's result: 0 when the deadline has come, -1 on a
// failure, which is kept in failure.
std::optional<long> AfterEmptyBulkIn(IUsbDevice& device, std::uint8_t endpoint, EUsbStatus status,
                                     Deadline deadline, EUsbStatus& failure);

// "066f:4200".
std::string IdText(std::uint16_t vendor, std::uint16_t product);

}  // namespace usb
