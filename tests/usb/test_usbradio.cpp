// Whole reads of the virtual radio through each USB adapter driver, in process: a fake chip
// carries what the driver sends onto the radio's serial infrared line and what the radio
// answers back, as the real chip would. Also the adapter unplugged in mid-read.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "../delivered_radios.h"
#include "U_radionet.h"
#include "U_radiowrite.h"
#include "U_transfertext.h"
#include "U_virtualradios.h"
#include "fake_usb.h"

namespace {

// A backups folder of the test's own: the copies' folder is closed to other users, which a
// shared folder such as the temporary one must never be.
std::filesystem::path BackupsFolder() {
    return std::filesystem::path(testing::TempDir()) /
           ("tessel-usb-backups-" + std::to_string(::getpid()));
}

using namespace fakeusb;
using namespace std::chrono_literals;

IRadio& Alder() {
    return DeliveredRadio("ALDER");
}

std::shared_ptr<CFakeDevice> ChipFor(const std::string& kind, const std::string& line) {
    if (kind == "STIr4200") return std::make_shared<CFakeStir4200>(Stir4200Info(), line);
    if (kind == "MCS7780") return std::make_shared<CFakeMcs7780>(Mcs7780Info(), line);
    return std::make_shared<CFakeBridge>(BridgeInfo(), line);
}

struct SUsbRadioBench {
    SUsbRadioBench(const std::string& kind, const std::string& radio = "ALDER")
        : radios({radio + ",link=sir"}),
          chip(ChipFor(kind, radios.Server(0).Address())),
          socket(usb::MakeUsbIrdaPlatform("usb", SSirSettings{115200, 6, {}}, BusOf({chip})),
                 EIrdaMode::Stream) {}

    // The link to the radio found; null when the search failed.
    std::unique_ptr<CRadioNet> Connect() {
        IRadio& radio = Alder();
        IRadioWare& ware = *radio.Ware();
        if (!ware.AttachData(&radio, nullptr, nullptr)) return nullptr;
        IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
        std::unique_ptr<CRadioSocket> found = SearchIrda(socket, *qualifier);
        ware.ReleaseQualifier(qualifier);
        if (!found) stage = "search";
        return found ? std::make_unique<CRadioNet>(std::move(found)) : nullptr;
    }

    // The radio found and its memory read, step by step; false at the first failed step.
    bool Read() {
        IRadio& radio = Alder();
        IRadioWare& ware = *radio.Ware();
        const std::unique_ptr<CRadioNet> found = Connect();
        if (!found) return false;
        CRadioNet& net = *found;
        IRadioRW* rw = ware.CreateRW(&radio, net.link());
        rw->BeginRead();
        bool ok = true;
        while (ok && !rw->IsDone()) ok = rw->Step();
        if (!ok) stage = "step " + std::to_string(rw->Progress());
        ware.ReleaseRW(rw);
        serial = radio.SerialNumber();
        return ok;
    }

    sim::CVirtualRadios radios;
    std::shared_ptr<CFakeDevice> chip;
    CIrDASocket socket;
    std::string serial;
    std::string stage;  // where a read failed
};

TEST(UsbRadio, WholeReadThroughEachAdapterAtTheAgreedRate) {
    for (const char* kind : {"STIr4200", "MCS7780", "bridge"}) {
        SUsbRadioBench bench(kind, "ALDER,sn=4242");
        ASSERT_TRUE(bench.Read()) << kind << ": " << bench.stage;
        EXPECT_EQ(bench.serial, "4242") << kind;
        EXPECT_FALSE(bench.socket.isOpen()) << kind;
        // The link ran at 115200 baud and was put back to 9600 after.
        if (auto* stir = dynamic_cast<CFakeStir4200*>(bench.chip.get())) {
            EXPECT_EQ(stir->registers[stir4200::kClock], 0x77);
            EXPECT_EQ(std::ranges::count_if(stir->controls,
                                            [](const SControl& c) {
                                                return c.setup.index == stir4200::kClock &&
                                                       c.setup.value == 0x09;
                                            }),
                      1);
        }
        if (auto* bridge = dynamic_cast<CFakeBridge*>(bench.chip.get())) {
            EXPECT_NE(std::ranges::find(bridge->headers, 0x06), bridge->headers.end());
        }
        EXPECT_EQ(bench.chip->released.size(), bench.chip->claimed.size()) << kind;
    }
}

TEST(UsbRadio, AnAdapterUnpluggedInMidReadFailsClearlyAndQuickly) {
    for (const char* kind : {"STIr4200", "MCS7780", "bridge"}) {
        SUsbRadioBench bench(kind);
        ASSERT_TRUE(bench.Read()) << kind << ": " << bench.stage << " " << bench.socket.problem();
        // Halfway through the next read: past the search, into the memory read.
        bench.chip->unplugAfter = bench.chip->transfers / 2;
        const auto start = LinkClock::now();
        EXPECT_FALSE(bench.Read()) << kind;
        EXPECT_LT(LinkClock::now() - start, 8s) << kind;
        EXPECT_NE(bench.socket.problem().find("отключён"), std::string::npos)
            << kind << ": " << bench.stage << " " << bench.socket.problem();
    }
}

// No other radio for a group write's read-back.
struct SNoRadios final : fleet::IFleetRadios {
    std::vector<fleet::SRadioInRange> InRange(IRadio&) override { return {}; }
    std::unique_ptr<CRadioNet> Open(IRadio&, const std::string&) override { return nullptr; }
};

// The message of a read (as the command line and the window give it) and of a write (as the
// group write gives it) names the adapter that was pulled out, not only the failed transfer.
TEST(UsbRadio, AnAdapterUnpluggedInMidTransferIsNamedInTheMessage) {
    for (const char* kind : {"STIr4200", "MCS7780", "bridge"})
        for (const bool reading : {true, false}) {
            SUsbRadioBench bench(kind);
            ASSERT_TRUE(bench.Read()) << kind << ": " << bench.stage;
            std::unique_ptr<CRadioNet> net = bench.Connect();
            ASSERT_TRUE(net) << kind;
            std::string message;
            const auto unplugOnce = [&bench](int percent) {
                if (percent > 0 && !bench.chip->unplugAfter) bench.chip->unplugAfter = 0;
            };
            if (reading) {
                const fleet::CWriteSteps steps(Alder(), {});
                const fleet::CExchangeLease reader(Alder(), *net);
                ASSERT_FALSE(steps.Exchange(*reader.Get(), true, unplugOnce)) << kind;
                message = fleet::TransferFailureText(true, *net);
            } else {
                SNoRadios none;
                const fleet::SRadioWriteSetup setup{Alder(),
                                                    none,
                                                    {},
                                                    [&](const std::string& status, int percent) {
                                                        if (status == transfertext::kWriteStart)
                                                            unplugOnce(percent);
                                                    },
                                                    BackupsFolder()};
                const fleet::SWriteOutcome outcome = fleet::WriteRadio(setup, std::move(net), "1");
                EXPECT_EQ(outcome.result, fleet::EResult::Failed) << kind;
                message = outcome.message;
            }
            const std::string generic = reading ? "Ошибка чтения" : "Ошибка записи";
            EXPECT_EQ(message.rfind(generic, 0), 0u) << kind << ": " << message;
            EXPECT_NE(message.find(": ИК-адаптер "), std::string::npos) << kind << ": " << message;
            EXPECT_NE(message.find("отключён"), std::string::npos) << kind << ": " << message;
        }
}

TEST(UsbRadio, AbsentOrForbiddenAdapterIsSaidOnOpen) {
    const struct {
        const char* port;
        EUsbStatus opening;
        const char* said;
    } cases[] = {
        {"usb", EUsbStatus::Ok, "не найден"},
        {"usb:066f:4200@9-9", EUsbStatus::Ok, "не найден"},
        {"usb:066f", EUsbStatus::Ok, "не понят"},
        {"usb:9710:7780", EUsbStatus::Denied, "udev"},
        {"usb:9710:7780", EUsbStatus::Busy, "занят"},
    };
    for (const auto& c : cases) {
        std::vector<std::shared_ptr<CFakeDevice>> plugged;
        if (std::string(c.port) != "usb")
            plugged.push_back(std::make_shared<CFakeMcs7780>(Mcs7780Info(), ""));
        auto platform = usb::MakeUsbIrdaPlatform(c.port, SSirSettings{}, BusOf(plugged, c.opening));
        EXPECT_FALSE(platform->Open()) << c.port;
        EXPECT_NE(platform->Problem().find(c.said), std::string::npos) << platform->Problem();
    }
}

}  // namespace
