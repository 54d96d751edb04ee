// The USB infrared adapters' drivers on scripted devices: what goes out for a frame, what a
// received transfer yields, the control transfers at start and at a change of rate, and the
// faults of a USB line (a stall, a short answer, an unplugged adapter).

#include <gtest/gtest.h>

#include <functional>

#include "U_irdaadapters.h"
#include "fake_usb.h"

namespace {

using namespace fakeusb;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Deadline Soon() {
    return LinkClock::now() + 500ms;
}

// A frame whose bytes need escaping, wrapped for the air: BOF, the escaped frame and check, EOF.
const Bytes kFrame = {0x01, 0x7D, 0xC0};
const Bytes kWrapped = {0xC0, 0x01, 0x7D, 0x5D, 0x7D, 0xE0, 0xA0, 0x1A, 0xC1};

TEST(UsbFrames, WhatGoesOutForOneFrame) {
    EXPECT_EQ(sir::Wrap(kFrame, 0), kWrapped);
    Bytes stir = {0x55, 0xAA, 0x09, 0x00};
    stir.insert(stir.end(), kWrapped.begin(), kWrapped.end());
    EXPECT_EQ(Stir4200Packet(kWrapped), stir);
    Bytes mcs = {0x0B, 0x00};
    mcs.insert(mcs.end(), kWrapped.begin(), kWrapped.end());
    EXPECT_EQ(Mcs7780Packet(kWrapped), mcs);
}

TEST(UsbFrames, WhatAReceivedTransferYields) {
    EXPECT_EQ(Mcs7780Input(Bytes{0x01, 0x02}), (Bytes{0xC0, 0x01, 0x02, 0xC1}));
    EXPECT_TRUE(Mcs7780Input(Bytes{}).empty());
    const struct {
        Bytes transfer;
        std::optional<Bytes> frame;
    } bridge[] = {
        {{}, std::nullopt},
        {{0x00}, std::nullopt},                   // the header alone
        {{0x80, 0xFF, 0x93}, Bytes{0xFF, 0x93}},  // media busy in the header
    };
    for (const auto& c : bridge) EXPECT_EQ(ParseBridgeInput(c.transfer), c.frame);
}

TEST(UsbFrames, BridgeHeaderCodes) {
    const std::pair<int, std::uint8_t> rates[] = {
        {2400, 1}, {9600, 2}, {115200, 6}, {576000, 0}, {0, 0}};
    for (const auto& [baud, code] : rates) EXPECT_EQ(BridgeRateCode(baud), code) << baud;
    // The nearest count the class has that is not below the one asked for.
    const std::pair<int, std::uint8_t> bofs[] = {{0, 0x80},  {1, 0x70},  {4, 0x40},  {10, 0x30},
                                                 {24, 0x20}, {48, 0x10}, {100, 0x10}};
    for (const auto& [count, code] : bofs) EXPECT_EQ(BridgeExtraBofsCode(count), code) << count;
}

TEST(UsbFrames, BridgeClassDescriptor) {
    const Bytes good = BridgeDescriptor(0x013F);
    const auto parsed = ParseBridgeDescriptor(good);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->rates, 0x013F);
    EXPECT_EQ(parsed->window, 0x7F);
    EXPECT_EQ(parsed->minTurn, 0x04);
    EXPECT_FALSE(ParseBridgeDescriptor(std::span(good).first(11)));
    Bytes otherType = good;
    otherType[1] = 0x24;
    EXPECT_FALSE(ParseBridgeDescriptor(otherType));
    // Among the class descriptors after the interface's, behind another one.
    Bytes extra = {0x05, 0x24, 0x00, 0x10, 0x01};
    extra.insert(extra.end(), good.begin(), good.end());
    EXPECT_TRUE(FindBridgeDescriptor(extra));
    EXPECT_FALSE(FindBridgeDescriptor(Bytes{0x00, 0x21}));  // a zero length never loops
}

TEST(UsbAdapters, SelectorsAndTheAdapterChosen) {
    const struct {
        const char* text;
        bool valid;
    } texts[] = {{"usb", true},          {"usb:066f:4200", true},     {"usb:066F:4200@1-2.3", true},
                 {"usb@3-1", true},      {"usb:66f:4200", false},     {"usb:066f:4200@", false},
                 {"usb:066f", false},    {"usb:066f:4200@1-", false}, {"usb:zzzz:4200", false},
                 {"/dev/ttyUSB0", false}};
    for (const auto& c : texts) EXPECT_EQ(ParseUsbSelector(c.text).has_value(), c.valid) << c.text;
    EXPECT_FALSE(IsUsbPortName("usbserial"));

    SUsbDeviceInfo firmwareBridge = BridgeInfo(0x066f, 0x4210, "1-5");
    SUsbDeviceInfo mouse{0x046d, 0xc077, "1-1", "", "", "", {BulkInterface(0, 3, 1, 0x81, 0x02)}};
    const std::vector<SUsbDeviceInfo> plugged = {mouse, firmwareBridge, Stir4200Info("1-2"),
                                                 Stir4200Info("1-3"), BridgeInfo()};
    EXPECT_FALSE(AdapterKindOf(firmwareBridge));
    const struct {
        const char* selector;
        const char* chosen;  // bus path, "" for none
    } choices[] = {{"usb", "1-2"},        {"usb:066f:4200@1-3", "1-3"}, {"usb@2-1.4", "2-1.4"},
                   {"usb:9710:7780", ""}, {"usb:066f:4210", ""},        {"usb@1-1", ""}};
    for (const auto& c : choices) {
        const SUsbDeviceInfo* chosen = ChooseAdapter(plugged, *ParseUsbSelector(c.selector));
        EXPECT_EQ(chosen ? chosen->busPath : "", c.chosen) << c.selector;
    }
}

std::vector<SControl> Writes(std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> regs,
                             std::uint8_t request) {
    std::vector<SControl> out;
    for (const auto& [reg, value] : regs) out.push_back({{kVendorOut, request, value, reg}, 0});
    return out;
}

TEST(UsbStir4200, StartAndRateChangeSequences) {
    CFakeStir4200 chip(Stir4200Info(), "");
    CStir4200 driver(chip);
    ASSERT_EQ(driver.Start(Soon()), EUsbStatus::Ok);
    EXPECT_EQ(chip.cleared, (Bytes{0x01, 0x82}));
    const auto rate = [](std::uint16_t clock) {
        return Writes(
            {{3, 0x01}, {8, 0x15}, {2, clock}, {1, 0x2A}, {3, 0x80}, {3, 0x00}, {4, 0x20}},
            stir4200::kWriteRegister);
    };
    EXPECT_EQ(chip.controls, rate(0x77));
    chip.controls.clear();
    ASSERT_TRUE(driver.SetBaud(115200, Soon()));
    // The FIFO is seen to have drained before the clock changes.
    std::vector<SControl> expected = {{{kVendorIn, stir4200::kReadRegisters, 0, 5}, 3}};
    for (const SControl& write : rate(0x09)) expected.push_back(write);
    EXPECT_EQ(chip.controls, expected);
    EXPECT_FALSE(driver.SetBaud(576000, Soon()));
}

TEST(UsbMcs7780, StartAndRateChangeSequences) {
    CFakeMcs7780 chip(Mcs7780Info(), "");
    CMcs7780 driver(chip);
    ASSERT_EQ(driver.Start(Soon()), EUsbStatus::Ok);
    EXPECT_EQ(chip.cleared, (Bytes{0x02, 0x81}));
    const auto read = [](std::uint16_t reg) {
        return SControl{{kVendorIn, mcs7780::kReadRequest, 0, reg}, 2};
    };
    const auto write = [](std::uint16_t reg, std::uint16_t value) {
        return SControl{{kVendorOut, mcs7780::kWriteRequest, value, reg}, 0};
    };
    // From a chip in reset: configuration mode, SIR at 9600 with the short pulse, the chip
    // sets the direction and sends SIPs; the transceiver's configure sequence; out of reset.
    EXPECT_EQ(chip.controls, (std::vector<SControl>{read(0), write(0, 0x8200), write(4, 0), read(0),
                                                    write(0, 0x9622), read(2), write(2, 0x0005),
                                                    write(2, 0x0004), write(2, 0x0000), read(2),
                                                    write(2, 0x0008), read(0), write(0, 0x1622)}));
    chip.controls.clear();
    ASSERT_TRUE(driver.SetBaud(115200, Soon()));
    EXPECT_EQ(chip.controls, (std::vector<SControl>{read(7), read(0), write(0, 0x16A2), read(0),
                                                    write(0, 0x16A2)}));
}

TEST(UsbMcs7780, RateWaitsUntilTheChipHasSentTheFrame) {
    CFakeMcs7780 chip(Mcs7780Info(), "");
    CMcs7780 driver(chip);
    ASSERT_EQ(driver.Start(Soon()), EUsbStatus::Ok);
    chip.registers[mcs7780::kStatus] = mcs7780::kStatusSending;
    const auto start = LinkClock::now();
    EXPECT_FALSE(driver.SetBaud(115200, LinkClock::now() + 50ms));
    EXPECT_LT(LinkClock::now() - start, 500ms);
    EXPECT_EQ(chip.registers[mcs7780::kMode] & 0x00E0, 0x0020);  // still 9600
}

TEST(UsbBridge, StartAndRateChangeHeaders) {
    CFakeBridge chip(BridgeInfo(), "");
    CIrdaBridgeLine line(chip, nullptr);
    ASSERT_EQ(line.Start(Soon()), EUsbStatus::Ok);
    EXPECT_EQ(chip.claimed, Bytes{1});
    EXPECT_EQ(
        chip.controls,
        (std::vector<SControl>{{{kClassInInterface, bridge::kGetClassDescriptor, 0, 1}, 12}}));
    // 9600 baud, no extra BOFs, in a header of its own.
    EXPECT_EQ(chip.headers, Bytes{0x82});
    ASSERT_TRUE(line.SetBaud(115200, Soon()));
    line.SetPeerNeeds(12, 1000);
    sir::SLapFrame frame;
    frame.connection = 0x55;
    frame.control = 0x11;
    ASSERT_TRUE(line.Send(frame, Soon()));
    ASSERT_TRUE(line.Send(frame, Soon()));
    // The rate alone, then the extra BOFs with the next frame only.
    EXPECT_EQ(chip.headers, (Bytes{0x82, 0x06, 0x30, 0x00}));

    sir::SPrimaryConfig config;
    line.Offer(config);
    EXPECT_EQ(config.baudMask, 0x3F);
    EXPECT_EQ(config.window, 0x7F);
}

TEST(UsbBridge, KnownOneFrameAdaptersAndMissingRatesAreHonoured) {
    CFakeBridge esi(BridgeInfo(0x08e9, 0x0100), "");
    CIrdaBridgeLine line(esi, nullptr);
    ASSERT_EQ(line.Start(Soon()), EUsbStatus::Ok);
    sir::SPrimaryConfig config;
    line.Offer(config);
    EXPECT_EQ(config.window, 0x01);

    CFakeBridge slow(BridgeInfo(), "", BridgeDescriptor(0x0003));  // 2400 and 9600 only
    CIrdaBridgeLine slowLine(slow, nullptr);
    ASSERT_EQ(slowLine.Start(Soon()), EUsbStatus::Ok);
    EXPECT_FALSE(slowLine.SetBaud(115200, Soon()));
    EXPECT_EQ(slowLine.Baud(), 9600);

    CFakeBridge mute(BridgeInfo(), "", Bytes{});  // no class descriptor at all
    CIrdaBridgeLine muteLine(mute, nullptr);
    EXPECT_EQ(muteLine.Start(Soon()), EUsbStatus::Failed);
}

// Each driver on a chip whose air is empty, for the fault cases.
struct SDriverBench {
    explicit SDriverBench(const std::string& kind) {
        if (kind == "STIr4200") {
            device = std::make_shared<CFakeStir4200>(Stir4200Info(), "");
            stir = std::make_unique<CStir4200>(*device);
        } else if (kind == "MCS7780") {
            device = std::make_shared<CFakeMcs7780>(Mcs7780Info(), "");
            mcs = std::make_unique<CMcs7780>(*device);
        } else {
            device = std::make_shared<CFakeBridge>(BridgeInfo(), "");
            bridge = std::make_unique<CIrdaBridgeLine>(*device, nullptr);
        }
    }
    EUsbStatus Start() {
        return stir ? stir->Start(Soon()) : mcs ? mcs->Start(Soon()) : bridge->Start(Soon());
    }
    // -1 on an error of the transport, else what came (nothing here: the air is empty).
    long Read(Deadline deadline) {
        Bytes buffer(4096);
        if (stir) return stir->Read(buffer, deadline);
        if (mcs) return mcs->Read(buffer, deadline);
        const auto frame = bridge->Receive(deadline);
        return bridge->Failed() ? -1 : frame ? 1 : 0;
    }
    EUsbStatus Failure() const {
        return stir ? stir->LastFailure() : mcs ? mcs->LastFailure() : bridge->LastFailure();
    }

    std::shared_ptr<CFakeDevice> device;
    std::unique_ptr<CStir4200> stir;
    std::unique_ptr<CMcs7780> mcs;
    std::unique_ptr<CIrdaBridgeLine> bridge;
};

const char* const kKinds[] = {"STIr4200", "MCS7780", "bridge"};

TEST(UsbFaults, AStalledReceiveIsClearedAndTheLineGoesOn) {
    for (const char* kind : kKinds) {
        SDriverBench bench(kind);
        ASSERT_EQ(bench.Start(), EUsbStatus::Ok) << kind;
        bench.device->cleared.clear();
        bench.device->stallsIn = 1;
        EXPECT_EQ(bench.Read(LinkClock::now() + 60ms), 0) << kind;
        EXPECT_EQ(bench.device->cleared.size(), 1u) << kind;
        EXPECT_FALSE(bench.device->halted) << kind;
    }
}

TEST(UsbFaults, AnUnpluggedAdapterEndsTheReadAtOnce) {
    for (const char* kind : kKinds) {
        SDriverBench bench(kind);
        ASSERT_EQ(bench.Start(), EUsbStatus::Ok) << kind;
        bench.device->unplugAfter = 0;
        const auto start = LinkClock::now();
        EXPECT_EQ(bench.Read(LinkClock::now() + 2s), -1) << kind;
        EXPECT_LT(LinkClock::now() - start, 200ms) << kind;
        EXPECT_EQ(bench.Failure(), EUsbStatus::Gone) << kind;
    }
}

TEST(UsbFaults, ARefusedOrUnpluggedStartIsSaid) {
    for (const char* kind : kKinds) {
        SDriverBench refused(kind);
        refused.device->stallControl = refused.stir  ? stir4200::kWriteRegister
                                       : refused.mcs ? mcs7780::kReadRequest
                                                     : bridge::kGetClassDescriptor;
        // The bridge falls back to the configuration's descriptors, which these have not.
        EXPECT_EQ(refused.Start(), refused.bridge ? EUsbStatus::Failed : EUsbStatus::Stalled)
            << kind;
        SDriverBench gone(kind);
        gone.device->unplugAfter = 1;
        EXPECT_EQ(gone.Start(), EUsbStatus::Gone) << kind;
    }
}

TEST(UsbFaults, AShortRegisterAnswerIsNeverActedOn) {
    // STIr4200: a FIFO state read short sends nothing on a guess.
    SDriverBench stir("STIr4200");
    ASSERT_EQ(stir.Start(), EUsbStatus::Ok);
    stir.device->shortRead = stir4200::kFifoControl;
    const auto& packets = static_cast<CFakeStir4200&>(*stir.device).packets;
    EXPECT_FALSE(stir.stir->Write(kWrapped, Soon()));
    EXPECT_TRUE(packets.empty());
    EXPECT_FALSE(stir.stir->SetBaud(115200, Soon()));
    // MCS7780: half a mode register is never written back changed.
    SDriverBench mcs("MCS7780");
    mcs.device->shortRead = mcs7780::kMode;
    EXPECT_EQ(mcs.Start(), EUsbStatus::Failed);
    EXPECT_EQ(mcs.device->controls.size(), 1u);
}

// The window's list of adapters: the automatic choice first, the system's sockets only when
// it has them, the serial ports with their summaries, each plugged adapter by the selector that
// names it, and a kept adapter that is not plugged in now still shown.
TEST(UsbAdapterList, WhatTheWindowOffers) {
    SIrdaPlatformChoice automatic;
    automatic.virtualDirectory = "/run/irda";
    const auto bus = BusOf({std::make_shared<CFakeDevice>(Stir4200Info("1-2")),
                            std::make_shared<CFakeDevice>(BridgeInfo(0x1234, 0x0001, "2-1.4"))});
    const SIrdaAdapterSources sources{
        [] { return false; }, [] { return std::vector<std::string>{"/dev/ttyUSB0"}; },
        [](const std::string&) { return std::string("driver=ftdi_sio"); }, bus};
    const std::vector<SIrdaAdapterOption> options =
        ListIrdaAdapters(automatic, sources, "usb:9710:7780@1-3");
    std::vector<std::string> settings;
    for (const SIrdaAdapterOption& option : options) settings.push_back(option.setting);
    EXPECT_EQ(settings, (std::vector<std::string>{"", "/dev/ttyUSB0", "usb:066f:4200@1-2",
                                                  "usb:1234:0001@2-1.4", "usb:9710:7780@1-3"}));
    EXPECT_NE(options[0].label.find("/run/irda"), std::string::npos) << options[0].label;
    EXPECT_NE(options[1].label.find("driver=ftdi_sio"), std::string::npos) << options[1].label;
    EXPECT_NE(options[2].label.find("STIr4200"), std::string::npos) << options[2].label;
    EXPECT_FALSE(options[4].present);

    SIrdaAdapterSources withKernel = sources;
    withKernel.kernelAvailable = [] { return true; };
    EXPECT_EQ(ListIrdaAdapters(automatic, withKernel, "")[1].setting, kKernelIrdaSetting);
}

// A kept choice names the platform, unless the environment fixed one.
TEST(UsbAdapterList, TheKeptChoiceAndTheEnvironment) {
    SIrdaPlatformChoice automatic;
    automatic.virtualDirectory = "/run/irda";
    SIrdaPlatformChoice fixed{EIrdaPlatformKind::Sir, {}, "/dev/ttyS0", {}, true};
    const struct {
        const SIrdaPlatformChoice& automatic;
        const char* setting;
        EIrdaPlatformKind kind;
        const char* port;
    } cases[] = {
        {automatic, "", EIrdaPlatformKind::Virtual, ""},
        {automatic, "kernel", EIrdaPlatformKind::Kernel, ""},
        {automatic, "usb:066f:4200@1-2", EIrdaPlatformKind::Sir, "usb:066f:4200@1-2"},
        {automatic, "/dev/ttyUSB0", EIrdaPlatformKind::Sir, "/dev/ttyUSB0"},
        {fixed, "usb:066f:4200@1-2", EIrdaPlatformKind::Sir, "/dev/ttyS0"},
    };
    for (const auto& c : cases) {
        const SIrdaPlatformChoice chosen = ChosenIrdaPlatform(c.automatic, c.setting);
        EXPECT_EQ(chosen.kind, c.kind) << c.setting;
        EXPECT_EQ(chosen.port, c.port) << c.setting;
    }
}

}  // namespace
