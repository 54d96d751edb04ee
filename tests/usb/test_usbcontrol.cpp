// Our drivers' control transfers beside the kernel drivers' (usbmon captures of the same chips
// kept as *.control): at start, and at the first change of rate after a frame went out and a
// reply was awaited. Both are cut from the transfer log by the same rules as the captures (see
// tests/interop/usbmon_control.py): the start up to the first bulk transfer; the rate change
// from the last frame sent before it to the next frame, a run of one request as one line.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "fake_usb.h"

namespace {

using namespace fakeusb;
using namespace std::chrono_literals;

Deadline Soon() {
    return LinkClock::now() + 200ms;
}

// What went over the bus, one line each as the captures write it.
struct SEvent {
    enum EKind { Control, BulkOut, BulkIn } kind;
    std::string text;
};

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[3];
    for (const std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

std::string SetupText(const SUsbSetup& s, std::size_t length) {
    char text[32];
    std::snprintf(text, sizeof text, "%02x %02x %04x %04x %04x", s.requestType, s.request, s.value,
                  s.index, static_cast<unsigned>(length));
    return text;
}

// Passes every transfer on to the fake chip and logs it; a cleared halt is the standard
// CLEAR_FEATURE request it is on the bus.
class CRecorder final : public IUsbDevice {
  public:
    explicit CRecorder(CFakeDevice& device) : device_(device) {}
    std::vector<SEvent> log;

    const SUsbDeviceInfo& Info() const override { return device_.Info(); }
    EUsbStatus Claim(std::uint8_t interface) override { return device_.Claim(interface); }
    void Release(std::uint8_t interface) override { device_.Release(interface); }
    SUsbResult Control(const SUsbSetup& setup, std::span<std::uint8_t> data,
                       Deadline deadline) override {
        std::string text = SetupText(setup, data.size());
        if (!(setup.requestType & 0x80) && !data.empty()) text += " = " + Hex(data);
        log.push_back({SEvent::Control, text});
        return device_.Control(setup, data, deadline);
    }
    SUsbResult BulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data,
                       Deadline deadline) override {
        log.push_back({SEvent::BulkOut, std::to_string(data.size()) + " " + Hex(data)});
        return device_.BulkOut(endpoint, data, deadline);
    }
    SUsbResult BulkIn(std::uint8_t endpoint, std::span<std::uint8_t> buffer,
                      Deadline deadline) override {
        log.push_back({SEvent::BulkIn, {}});
        return device_.BulkIn(endpoint, buffer, deadline);
    }
    EUsbStatus ClearHalt(std::uint8_t endpoint) override {
        log.push_back({SEvent::Control, SetupText({0x02, 0x01, 0, endpoint}, 0)});
        return device_.ClearHalt(endpoint);
    }

  private:
    CFakeDevice& device_;
};

std::vector<std::string> Collapsed(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines)
        if (out.empty() || out.back() != line) out.push_back(line);
    return out;
}

bool IsRegisterWrite(const SEvent& e) {
    if (e.kind != SEvent::Control) return false;
    const unsigned long type = std::stoul(e.text.substr(0, 2), nullptr, 16);
    return !(type & 0x80) && (type & 0x60);
}
std::size_t BulkLength(const SEvent& e) {
    return std::stoul(e.text.substr(0, e.text.find(' ')));
}

struct SSequences {
    std::vector<std::string> start, change;
};

SSequences Cut(const std::vector<SEvent>& log) {
    SSequences out;
    std::size_t firstBulk = 0;
    while (firstBulk < log.size() && log[firstBulk].kind == SEvent::Control)
        out.start.push_back(log[firstBulk++].text);
    std::size_t write = firstBulk;
    while (write < log.size() && !IsRegisterWrite(log[write])) ++write;
    if (write < log.size()) {
        std::size_t since = firstBulk;
        for (std::size_t i = firstBulk; i < write; ++i)
            if (log[i].kind == SEvent::BulkOut) since = i;
        for (std::size_t i = since + 1; i < log.size(); ++i) {
            if (log[i].kind == SEvent::BulkOut && BulkLength(log[i]) > 1) break;
            if (log[i].kind == SEvent::Control) out.change.push_back(log[i].text);
            if (log[i].kind == SEvent::BulkOut) out.change.push_back("bulk-out " + log[i].text);
        }
    } else {
        // No register holds the rate: the first header alone changes it.
        for (std::size_t i = firstBulk; i < log.size() && out.change.empty(); ++i)
            if (log[i].kind == SEvent::BulkOut && BulkLength(log[i]) <= 1)
                out.change.push_back("bulk-out " + log[i].text);
    }
    out.start = Collapsed(out.start);
    out.change = Collapsed(out.change);
    return out;
}

SSequences Captured(const std::string& chip) {
    std::ifstream in(std::string(TESSEL_TEST_SOURCE_DIR) + "/tests/usb/" + chip + ".control");
    SSequences out;
    std::vector<std::string>* part = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (line == "# start")
            part = &out.start;
        else if (line == "# speed change")
            part = &out.change;
        else if (part && !line.empty())
            part->push_back(line);
    }
    return out;
}

// Requests the kernel's side makes and ours does not, whatever the chip: the USB core sets the
// configuration when the kernel driver binds (the device is configured already when we open
// it), and the bridge driver selects alternate setting 0 of an interface that has no other one,
// which its own source doubts is needed.
std::vector<std::string> WithoutBindingRequests(std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& line) {
        return line.starts_with("00 09 ") || line.starts_with("01 0b ");
    });
    return lines;
}

const std::vector<std::uint8_t> kFrame = {0xC0, 0xFF, 0x93, 0x01, 0x02, 0xC1};

// What the stack does with a host-wrapping chip: listen first, send, listen, a new rate, send.
// Returns what went over the bus.
template <class Driver>
std::vector<SEvent> ListenSendRetune(CFakeDevice& chip) {
    CRecorder bus(chip);
    Driver driver(bus);
    std::uint8_t reply[64];
    EXPECT_EQ(driver.Start(Soon()), EUsbStatus::Ok);
    driver.Read(reply, Soon());
    EXPECT_TRUE(driver.Write(kFrame, Soon()));
    driver.Read(reply, Soon());
    EXPECT_TRUE(driver.SetBaud(115200, Soon()));
    EXPECT_TRUE(driver.Write(kFrame, Soon()));
    return bus.log;
}

TEST(UsbControlSequences, OursMatchTheKernelDriversAtStartAndRateChange) {
    // Each chip as the captures saw it: the endpoints and the mode register it powers up with.
    SUsbDeviceInfo mcsInfo = Mcs7780Info();
    mcsInfo.interfaces = {BulkInterface(0, 0xFF, 0, 0x81, 0x01)};
    SUsbDeviceInfo bridgeInfo = BridgeInfo(0x08e9, 0x0100);
    bridgeInfo.interfaces = {BulkInterface(0, 0xFE, 0x02, 0x81, 0x01)};
    const struct {
        const char* chip;
        std::function<std::vector<SEvent>()> drive;
        // Where ours differ on purpose, the captured line and ours.
        std::map<std::string, std::string> differences;
    } cases[] = {
        {"stir4200",
         [] {
             CFakeStir4200 chip(Stir4200Info(), "");
             return ListenSendRetune<CStir4200>(chip);
         },
         {}},
        {"mcs7780",
         [&mcsInfo] {
             CFakeMcs7780 chip(mcsInfo, "");
             chip.registers[mcs7780::kMode] = 0x8020;
             return ListenSendRetune<CMcs7780>(chip);
         },
         {}},
        {"bridge",
         [&bridgeInfo] {
             CFakeBridge chip(bridgeInfo, "");
             CRecorder bus(chip);
             CIrdaBridgeLine line(bus, nullptr);
             EXPECT_EQ(line.Start(Soon()), EUsbStatus::Ok);
             sir::SLapFrame frame;
             frame.connection = 0xFF;
             frame.control = 0x93;
             // The kernel driver takes the adapter's power-up rate on trust; ours sets 9600
             // and no extra BOFs in a header of its own at start. That header is not a rate
             // change and is left out.
             bus.log.erase(
                 std::remove_if(bus.log.begin(), bus.log.end(),
                                [](const SEvent& e) { return e.kind == SEvent::BulkOut; }),
                 bus.log.end());
             line.Receive(Soon());
             EXPECT_TRUE(line.Send(frame, Soon()));
             line.Receive(Soon());
             EXPECT_TRUE(line.SetBaud(115200, Soon()));
             EXPECT_TRUE(line.Send(frame, Soon()));
             return bus.log;
         },
         // The rate alone: the high nibble 0 keeps the extra BOFs the adapter has (none since
         // start), where the kernel's header names that count again (code 8, none).
         {{"bulk-out 1 86", "bulk-out 1 06"}}},
    };
    for (const auto& c : cases) {
        SSequences kernel = Captured(c.chip);
        ASSERT_FALSE(kernel.start.empty()) << c.chip;
        kernel.start = WithoutBindingRequests(kernel.start);
        for (std::string& line : kernel.change)
            if (const auto d = c.differences.find(line); d != c.differences.end()) line = d->second;
        const SSequences ours = Cut(c.drive());
        EXPECT_EQ(ours.start, kernel.start) << c.chip;
        EXPECT_EQ(ours.change, kernel.change) << c.chip;
    }
}

}  // namespace
