// Time of a complete transfer with the radio:
// - over the virtual radio without link delay: the program's own share of a search and a read
//   or a write with a delivered model (goal: under 5 ms);
// - over a pseudo-terminal paced like a 9600-baud line: a transfer against the time its bytes
//   need on the wire (goal: within 10 % of it);
// - over the serial infrared stack and a pseudo-terminal paced at 9600 and at 115200 baud: a
//   whole Alder read and write, search included, against the wire time of the radio's own
//   request and reply bytes (goal at 9600: within 1.5 times it).

#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>

#include "../../tests/delivered_radios.h"
#include "U_commands.h"
#include "U_frame.h"
#include "U_virtualradios.h"

namespace {

bool Transfer(IRadio& radio, CLinkPorts& ports, bool reading) {
    IRadioWare& ware = *radio.Ware();
    IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
    std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
    ware.ReleaseQualifier(qualifier);
    if (!net) return false;
    IRadioRW* rw = ware.CreateRW(&radio, net->link());
    reading ? rw->BeginRead() : rw->BeginWrite();
    bool ok = true;
    while (ok && !rw->IsDone()) ok = rw->Step();
    ware.ReleaseRW(rw);
    return ok;
}

// args: 0 read / 1 write, 0 stream / 1 packet mode; model ALDER.
void BM_VirtualRadio(benchmark::State& state, const std::string& model) {
    const bool reading = state.range(0) == 0;
    sim::CVirtualRadios radios({model});
    SLinkConfig config = radios.LinkConfig();
    config.irdaMode = state.range(1) == 0 ? EIrdaMode::Stream : EIrdaMode::Packet;
    CLinkPorts ports(config);
    IRadio& radio = DeliveredRadio(model);
    radio.Ware()->AttachData(&radio, nullptr, nullptr);
    for (auto _ : state) {
        if (!Transfer(radio, ports, reading)) state.SkipWithError("transfer failed");
    }
    state.SetLabel(std::string(reading ? "read" : "write") +
                   (state.range(1) ? ", packet" : ", stream"));
}
BENCHMARK_CAPTURE(BM_VirtualRadio, Alder, std::string("ALDER"))
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_VirtualRadio, Larch, std::string("LARCH"))
    ->ArgsProduct({{0, 1}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The bytes of one serial exchange on the wire, both frames.
std::size_t WireBytes(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply) {
    return frame::Build(request).size() + frame::Build(reply).size();
}

// A read of the three Larch segments through the serial link, the line paced at 9600 baud.
void BM_SerialAt9600(benchmark::State& state) {
    constexpr int kBaud = 9600;
    sim::CVirtualRadios radios({"LARCH,link=serial,baud=9600"});
    CLinkPorts ports(radios.LinkConfig());
    SerialPort& port = ports.Serial();
    if (!port.open(port.portList().front())) {
        state.SkipWithError("no port");
        return;
    }
    port.applySettings();
    CRadioSerial link(port, std::make_unique<CDeviceInfo>(std::vector<std::uint8_t>(124)));

    const struct {
        std::uint16_t segment;
        std::size_t length;
    } parts[] = {{119, 256}, {120, 512}, {512, 128}};
    std::size_t wire = 0;
    for (const auto& part : parts) {
        const auto request = command::SegmentRequest(command::kGetSegment, part.segment);
        std::vector<std::uint8_t> reply = request;
        const auto content = radios.Radio(0).Segment(part.segment);
        reply.insert(reply.end(), content.begin(), content.end());
        wire += WireBytes(request, reply);
    }
    const double wireSeconds = static_cast<double>(wire) * 10.0 / kBaud;

    std::vector<std::uint8_t> buffer(512);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (const auto& part : parts) {
            if (!link.GetSegment(part.segment, std::span(buffer).first(part.length)))
                state.SkipWithError("exchange failed");
        }
    }
    state.counters["wire_ms"] = wireSeconds * 1000.0;
    state.counters["wire_bytes"] = static_cast<double>(wire);
    // Mean time per transfer over the wire-time bound of its bytes: 1.00 is the line's limit.
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["time_over_wire"] =
        elapsed.count() / (wireSeconds * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SerialAt9600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The radio's request and reply bytes of the exchanges it logged: what the link has to carry.
std::size_t PayloadBytes(const sim::CVirtualRadio& radio) {
    std::size_t bytes = 0;
    bool identified = false;
    for (const sim::SLoggedRequest& request : radio.Requests()) {
        switch (request.code) {
            case 0x01:
                // The identification of the search, then the clock; the same reply to both.
                bytes += (identified ? 7 : 1) + 17 + 4 * radio.Model().ranges.size();
                identified = true;
                break;
            case 0x02:
                bytes += 4 + 4 + radio.Segment(request.segment).size();
                break;
            case 0x03:
                bytes += 4 + request.length + 4;
                break;
            case 0x04:
                bytes += 4 + 4;
                break;
            default:
                bytes += 1 + 1;
                break;
        }
    }
    return bytes;
}

// args: line rate; a read and then a write of ALDER in stream mode, six discovery slots.
void BM_SirAlder(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    sim::CVirtualRadios radios({"ALDER,link=sir,baud=" + std::to_string(baud)});
    CLinkPorts ports(radios.LinkConfig());
    IRadio& radio = DeliveredRadio("ALDER");
    radio.Ware()->AttachData(&radio, nullptr, nullptr);
    std::size_t payload = 0;
    std::chrono::duration<double> elapsed{0};
    for (auto _ : state) {
        radios.Radio(0).ClearRequests();
        const auto start = std::chrono::steady_clock::now();
        if (!Transfer(radio, ports, true) || !Transfer(radio, ports, false))
            state.SkipWithError("transfer failed");
        elapsed += std::chrono::steady_clock::now() - start;
        payload = PayloadBytes(radios.Radio(0));
    }
    const double wireSeconds = static_cast<double>(payload) * 10.0 / baud;
    state.counters["payload_bytes"] = static_cast<double>(payload);
    state.counters["wire_ms"] = wireSeconds * 1000.0;
    state.counters["time_over_wire"] =
        elapsed.count() / (wireSeconds * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SirAlder)
    ->Arg(9600)
    ->Arg(115200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// An Alder read, search included, in stream mode at 9600 baud with six discovery slots, against
// the wire time of the memory image alone (2688 bytes).
void BM_SirAlderRead(benchmark::State& state) {
    constexpr int kSirBaud = 9600;
    sim::CVirtualRadios radios({"ALDER,link=sir,baud=" + std::to_string(kSirBaud)});
    CLinkPorts ports(radios.LinkConfig());
    IRadio& radio = DeliveredRadio("ALDER");
    radio.Ware()->AttachData(&radio, nullptr, nullptr);
    std::chrono::duration<double> elapsed{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!Transfer(radio, ports, true)) state.SkipWithError("read failed");
        elapsed += std::chrono::steady_clock::now() - start;
    }
    const double wireSeconds =
        static_cast<double>(radios.Radio(0).Model().imageSize) * 10.0 / kSirBaud;
    state.counters["wire_ms"] = wireSeconds * 1000.0;
    state.counters["time_over_wire"] =
        elapsed.count() / (wireSeconds * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SirAlderRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
