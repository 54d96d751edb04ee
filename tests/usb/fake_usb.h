#pragma once
// USB devices for the adapter drivers without hardware: a scripted device that records every
// control transfer and can stall, answer short or be unplugged after a number of transfers,
// and per chip a fake that carries the wrapped bytes to and from the virtual radio's serial
// infrared line as the real chip would put them on the air.

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "sir/U_irlap.h"
#include "sir/U_sirframe.h"
#include "sir/U_sirport.h"
#include "usb/U_irdabridge.h"
#include "usb/U_mcs7780.h"
#include "usb/U_stir4200.h"
#include "usb/U_usbadapters.h"
#include "usb/U_usbdevice.h"
#include "usb/U_usbplatform.h"

namespace fakeusb {

using namespace usb;

struct SControl {
    SUsbSetup setup;
    std::size_t length = 0;
    bool operator==(const SControl&) const = default;
};

class CFakeDevice : public IUsbDevice {
  public:
    explicit CFakeDevice(SUsbDeviceInfo info) : info_(std::move(info)) {}

    const SUsbDeviceInfo& Info() const override { return info_; }
    EUsbStatus Claim(std::uint8_t interface) override {
        if (gone_) return EUsbStatus::Gone;
        claimed.push_back(interface);
        return EUsbStatus::Ok;
    }
    void Release(std::uint8_t interface) override { released.push_back(interface); }

    SUsbResult Control(const SUsbSetup& setup, std::span<std::uint8_t> data,
                       Deadline deadline) override {
        if (Unplugged()) return {EUsbStatus::Gone, 0};
        controls.push_back({setup, data.size()});
        if (stallControl && *stallControl == setup.request) return {EUsbStatus::Stalled, 0};
        SUsbResult result = OnControl(setup, data, deadline);
        if (shortRead && *shortRead == setup.index && (setup.requestType & 0x80) && result.count)
            result.count -= 1;
        return result;
    }
    SUsbResult BulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data,
                       Deadline deadline) override {
        if (Unplugged()) return {EUsbStatus::Gone, 0};
        return OnBulkOut(endpoint, data, deadline);
    }
    SUsbResult BulkIn(std::uint8_t endpoint, std::span<std::uint8_t> buffer,
                      Deadline deadline) override {
        if (Unplugged()) return {EUsbStatus::Gone, 0};
        if (stallsIn > 0) {
            --stallsIn;
            halted = true;
            return {EUsbStatus::Stalled, 0};
        }
        return OnBulkIn(endpoint, buffer, deadline);
    }
    EUsbStatus ClearHalt(std::uint8_t endpoint) override {
        if (gone_) return EUsbStatus::Gone;
        cleared.push_back(endpoint);
        halted = false;
        return EUsbStatus::Ok;
    }

    // Faults.
    std::optional<long> unplugAfter;           // transfers before the device is gone
    std::atomic<bool> pulledOut{false};        // set from another thread: gone from now on
    std::optional<std::uint8_t> stallControl;  // a request refused
    std::optional<std::uint16_t> shortRead;    // a register (wIndex) answered a byte short
    int stallsIn = 0;                          // bulk-in transfers that stall

    std::vector<SControl> controls;
    std::vector<std::uint8_t> cleared;
    std::vector<std::uint8_t> claimed, released;
    bool halted = false;
    long transfers = 0;

  protected:
    virtual SUsbResult OnControl(const SUsbSetup&, std::span<std::uint8_t>, Deadline) {
        return {EUsbStatus::Ok, 0};
    }
    virtual SUsbResult OnBulkOut(std::uint8_t, std::span<const std::uint8_t> data, Deadline) {
        return {EUsbStatus::Ok, data.size()};
    }
    virtual SUsbResult OnBulkIn(std::uint8_t, std::span<std::uint8_t>, Deadline) {
        return {EUsbStatus::TimedOut, 0};
    }

  private:
    bool Unplugged() {
        ++transfers;
        if (unplugAfter && (*unplugAfter)-- <= 0) gone_ = true;
        if (pulledOut) gone_ = true;
        return gone_;
    }

    SUsbDeviceInfo info_;
    bool gone_ = false;
};

inline SUsbInterface BulkInterface(std::uint8_t number, std::uint8_t cls, std::uint8_t subclass,
                                   std::uint8_t in, std::uint8_t out) {
    return {number, cls, subclass, {{in, 0x02, 64}, {out, 0x02, 64}}, {}};
}

inline SUsbDeviceInfo Stir4200Info(std::string busPath = "1-2") {
    return {
        0x066f, 0x4200, std::move(busPath), "", "", "", {BulkInterface(0, 0xFF, 0, 0x82, 0x01)}};
}
inline SUsbDeviceInfo Mcs7780Info(std::string busPath = "1-3") {
    return {
        0x9710, 0x7780, std::move(busPath), "", "", "", {BulkInterface(0, 0xFF, 0, 0x81, 0x02)}};
}
inline SUsbDeviceInfo BridgeInfo(std::uint16_t vendor = 0x1234, std::uint16_t product = 0x0001,
                                 std::string busPath = "2-1.4") {
    return {vendor,
            product,
            std::move(busPath),
            "",
            "",
            "",
            {BulkInterface(1, 0xFE, 0x02, 0x83, 0x04)}};
}

// The bridge's class descriptor: 2048-byte frames, up to 7 of them, 1 ms turnaround, 2400 to
// 115200 baud, no extra BOFs.
inline std::vector<std::uint8_t> BridgeDescriptor(std::uint16_t rates = 0x003F) {
    return {12,
            0x21,
            0x00,
            0x01,
            0x3F,
            0x7F,
            0x04,
            static_cast<std::uint8_t>(rates & 0xFF),
            static_cast<std::uint8_t>(rates >> 8),
            0x80,
            0x00,
            0x00};
}

// A chip whose far side is the virtual radio's line (a pseudo-terminal).
class CRadioSideDevice : public CFakeDevice {
  public:
    CRadioSideDevice(SUsbDeviceInfo info, const std::string& line) : CFakeDevice(std::move(info)) {
        // No line: a chip alone on the desk, whose air stays empty.
        std::string problem;
        if (!line.empty() && !air_.Open(line, problem)) throw std::runtime_error(problem);
    }

  protected:
    // What arrived from the radio, within a short wait.
    std::vector<std::uint8_t> Listen(Deadline deadline) {
        std::vector<std::uint8_t> bytes(4096);
        const long n =
            air_.Read(bytes, std::min(deadline, LinkClock::now() + std::chrono::milliseconds(20)));
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }
    sir::CSirPort air_;
};

class CFakeStir4200 final : public CRadioSideDevice {
  public:
    using CRadioSideDevice::CRadioSideDevice;
    std::map<std::uint8_t, std::uint8_t> registers;
    std::vector<std::vector<std::uint8_t>> packets;  // as they went out

  protected:
    SUsbResult OnControl(const SUsbSetup& setup, std::span<std::uint8_t> data, Deadline) override {
        if (setup.request == stir4200::kWriteRegister) {
            registers[static_cast<std::uint8_t>(setup.index)] =
                static_cast<std::uint8_t>(setup.value);
            if (setup.index == stir4200::kClock)
                air_.SetBaud(RateOf(setup.value), LinkClock::now());
            return {EUsbStatus::Ok, 0};
        }
        // The FIFO: empty, its bytes already on the air.
        const std::uint8_t fifo[3] = {stir4200::kFifoEmpty, 0, 0};
        std::copy_n(fifo, std::min<std::size_t>(3, data.size()), data.begin());
        return {EUsbStatus::Ok, std::min<std::size_t>(3, data.size())};
    }
    SUsbResult OnBulkOut(std::uint8_t, std::span<const std::uint8_t> data,
                         Deadline deadline) override {
        packets.emplace_back(data.begin(), data.end());
        if (data.size() < 4 || data[0] != 0x55 || data[1] != 0xAA ||
            static_cast<std::size_t>(data[2] | data[3] << 8) != data.size() - 4)
            return {EUsbStatus::Stalled, 0};
        air_.Write(data.subspan(4), deadline);
        return {EUsbStatus::Ok, data.size()};
    }
    SUsbResult OnBulkIn(std::uint8_t, std::span<std::uint8_t> buffer, Deadline deadline) override {
        const auto heard = Listen(deadline);
        const std::size_t n = std::min(buffer.size(), heard.size());
        std::copy_n(heard.begin(), n, buffer.begin());
        return {n ? EUsbStatus::Ok : EUsbStatus::TimedOut, n};
    }

  private:
    static int RateOf(std::uint16_t divisor) {
        for (const int baud : {2400, 9600, 19200, 38400, 57600, 115200})
            if (usb::Stir4200RateWrites(baud)[2].value == divisor) return baud;
        return 9600;
    }
};

class CFakeMcs7780 final : public CRadioSideDevice {
  public:
    using CRadioSideDevice::CRadioSideDevice;
    std::map<std::uint8_t, std::uint16_t> registers{{mcs7780::kMode, 0x8000}};

  protected:
    SUsbResult OnControl(const SUsbSetup& setup, std::span<std::uint8_t> data, Deadline) override {
        const auto reg = static_cast<std::uint8_t>(setup.index);
        if (setup.request == mcs7780::kWriteRequest) {
            registers[reg] = setup.value;
            if (reg == mcs7780::kMode)
                for (const int baud : {2400, 9600, 19200, 38400, 57600, 115200})
                    if (*usb::Mcs7780SpeedBits(baud) == (setup.value & 0x00E0))
                        air_.SetBaud(baud, LinkClock::now());
            return {EUsbStatus::Ok, 0};
        }
        const std::uint16_t value = registers[reg];
        if (data.size() >= 2) {
            data[0] = static_cast<std::uint8_t>(value);
            data[1] = static_cast<std::uint8_t>(value >> 8);
        }
        return {EUsbStatus::Ok, std::min<std::size_t>(2, data.size())};
    }
    SUsbResult OnBulkOut(std::uint8_t, std::span<const std::uint8_t> data,
                         Deadline deadline) override {
        if (data.size() < 2 || static_cast<std::size_t>(data[0] | data[1] << 8) != data.size())
            return {EUsbStatus::Stalled, 0};
        air_.Write(data.subspan(2), deadline);
        return {EUsbStatus::Ok, data.size()};
    }
    // One frame per transfer, without its BOF and EOF, as the chip hands it on.
    SUsbResult OnBulkIn(std::uint8_t, std::span<std::uint8_t> buffer, Deadline deadline) override {
        for (;;) {
            const auto eof = std::find(heard_.begin(), heard_.end(), sir::kEof);
            if (eof != heard_.end()) {
                auto start = heard_.begin();
                for (auto it = heard_.begin(); it != eof; ++it)
                    if (*it == sir::kBof) start = it + 1;
                const std::size_t n = std::min<std::size_t>(buffer.size(), eof - start);
                std::copy_n(start, n, buffer.begin());
                heard_.erase(heard_.begin(), eof + 1);
                if (n) return {EUsbStatus::Ok, n};
                continue;
            }
            const auto more = Listen(deadline);
            if (more.empty()) return {EUsbStatus::TimedOut, 0};
            heard_.insert(heard_.end(), more.begin(), more.end());
        }
    }

  private:
    std::vector<std::uint8_t> heard_;
};

class CFakeBridge final : public CRadioSideDevice {
  public:
    CFakeBridge(SUsbDeviceInfo info, const std::string& line,
                std::vector<std::uint8_t> descriptor = BridgeDescriptor())
        : CRadioSideDevice(std::move(info), line), descriptor_(std::move(descriptor)) {}
    std::vector<std::uint8_t> headers;  // as they went out
    int extraBofs = 0;

  protected:
    SUsbResult OnControl(const SUsbSetup& setup, std::span<std::uint8_t> data, Deadline) override {
        if (setup.request != bridge::kGetClassDescriptor) return {EUsbStatus::Stalled, 0};
        const std::size_t n = std::min(data.size(), descriptor_.size());
        std::copy_n(descriptor_.begin(), n, data.begin());
        return {EUsbStatus::Ok, n};
    }
    SUsbResult OnBulkOut(std::uint8_t, std::span<const std::uint8_t> data,
                         Deadline deadline) override {
        if (data.empty()) return {EUsbStatus::Ok, 0};
        headers.push_back(data[0]);
        const int counts[] = {48, 24, 12, 6, 3, 2, 1, 0};
        if (data[0] >> 4) extraBofs = counts[(data[0] >> 4) - 1];
        if (const int code = data[0] & 0x0F; code >= 1 && code <= 6)
            air_.SetBaud(std::array{2400, 9600, 19200, 38400, 57600, 115200}[code - 1],
                         LinkClock::now());
        if (data.size() > 1) air_.Write(sir::Wrap(data.subspan(1), extraBofs), deadline);
        return {EUsbStatus::Ok, data.size()};
    }
    SUsbResult OnBulkIn(std::uint8_t, std::span<std::uint8_t> buffer, Deadline deadline) override {
        for (;;) {
            while (at_ < heard_.size()) {
                if (deframer_.Feed(heard_[at_++]) != sir::CDeframer::EResult::Frame) continue;
                const auto body = deframer_.Body();
                buffer[0] = 0x00;
                const std::size_t n = std::min(buffer.size() - 1, body.size());
                std::copy_n(body.begin(), n, buffer.begin() + 1);
                return {EUsbStatus::Ok, n + 1};
            }
            heard_ = Listen(deadline);
            at_ = 0;
            if (heard_.empty()) return {EUsbStatus::TimedOut, 0};
        }
    }

  private:
    std::vector<std::uint8_t> descriptor_;
    sir::CDeframer deframer_{sir::kLargestFrame};
    std::vector<std::uint8_t> heard_;
    std::size_t at_ = 0;
};

// Hands a device out for each open while the test keeps it.
class CDeviceProxy final : public IUsbDevice {
  public:
    explicit CDeviceProxy(std::shared_ptr<CFakeDevice> device) : device_(std::move(device)) {}
    const SUsbDeviceInfo& Info() const override { return device_->Info(); }
    EUsbStatus Claim(std::uint8_t interface) override { return device_->Claim(interface); }
    void Release(std::uint8_t interface) override { device_->Release(interface); }
    SUsbResult Control(const SUsbSetup& setup, std::span<std::uint8_t> data,
                       Deadline deadline) override {
        return device_->Control(setup, data, deadline);
    }
    SUsbResult BulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data,
                       Deadline deadline) override {
        return device_->BulkOut(endpoint, data, deadline);
    }
    SUsbResult BulkIn(std::uint8_t endpoint, std::span<std::uint8_t> buffer,
                      Deadline deadline) override {
        return device_->BulkIn(endpoint, buffer, deadline);
    }
    EUsbStatus ClearHalt(std::uint8_t endpoint) override { return device_->ClearHalt(endpoint); }

  private:
    std::shared_ptr<CFakeDevice> device_;
};

// A bus with the given devices on it.
class CFakeBus final : public IUsbBus {
  public:
    explicit CFakeBus(std::vector<std::shared_ptr<CFakeDevice>> plugged,
                      EUsbStatus opening = EUsbStatus::Ok)
        : devices(std::move(plugged)), openStatus(opening) {}
    std::vector<std::shared_ptr<CFakeDevice>> devices;
    EUsbStatus openStatus = EUsbStatus::Ok;

    std::vector<SUsbDeviceInfo> Devices() override {
        std::vector<SUsbDeviceInfo> infos;
        for (const auto& device : devices) infos.push_back(device->Info());
        return infos;
    }
    std::unique_ptr<IUsbDevice> Open(const SUsbDeviceInfo& info, EUsbStatus& status) override {
        status = openStatus;
        if (status != EUsbStatus::Ok) return nullptr;
        for (auto& device : devices)
            if (device->Info().busPath == info.busPath)
                return std::make_unique<CDeviceProxy>(device);
        status = EUsbStatus::Gone;
        return nullptr;
    }
};

// The factory the platform asks for the bus on each open.
inline BusFactory BusOf(std::vector<std::shared_ptr<CFakeDevice>> devices,
                        EUsbStatus opening = EUsbStatus::Ok) {
    return [devices, opening] { return std::make_unique<CFakeBus>(devices, opening); };
}

}  // namespace fakeusb
