#include "U_sirplatform.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <map>
#include <random>

#include "U_iasclient.h"
#include "U_irdatrace.h"
#include "U_irlap.h"
#include "U_irlmp.h"
#include "U_sirline.h"
#include "U_sirport.h"
#include "U_tinytp.h"

namespace {

using namespace std::chrono_literals;
using namespace sir;

// Calls without a deadline of their own (discovery, the information-base query, closing) end
// within these.
constexpr auto kDiscoveryLimit = 3000ms;
constexpr auto kQueryLimit = 3000ms;
constexpr auto kCloseLimit = 1000ms;
constexpr std::size_t kTtpHeader = 1;

const char* const kTinyTpAttribute = "IrDA:TinyTP:LsapSel";
const char* const kIrLmpAttribute = "IrDA:IrLMP:LsapSel";

std::uint32_t OwnAddress() {
    std::random_device device;
    std::uint32_t address = 0;
    while (address == 0 || address == kBroadcastDevice) address = device();
    return address;
}

std::uint32_t AddressOf(const std::array<std::uint8_t, 4>& id) {
    return static_cast<std::uint32_t>(id[0]) | static_cast<std::uint32_t>(id[1]) << 8 |
           static_cast<std::uint32_t>(id[2]) << 16 | static_cast<std::uint32_t>(id[3]) << 24;
}

// The adapter's serial port with the SIR line on it.
class CSerialMedium final : public ILapMedium {
  public:
    explicit CSerialMedium(std::string path) : path_(std::move(path)) {}

    bool Open(std::string& problem) override { return port_.Open(path_, problem); }
    ILapLine& StartLine(CIrdaTrace* trace) override {
        line_ = std::make_unique<CSirLine>(port_, trace);
        return *line_;
    }
    void Close() override {
        line_.reset();
        port_.Close();
    }
    bool IsOpen() const override { return port_.IsOpen(); }
    // The adapter pulled out (or its line failed) since Open; told after Close as well.
    std::string Problem() const override { return port_.Failure(); }

  private:
    std::string path_;
    CSirPort port_;
    std::unique_ptr<CSirLine> line_;
};

class CSirIrda final : public IIrdaPlatform {
  public:
    CSirIrda(std::unique_ptr<ILapMedium> medium, SSirSettings settings)
        : medium_(std::move(medium)), settings_(std::move(settings)) {}
    ~CSirIrda() override { Close(); }
    CSirIrda(const CSirIrda&) = delete;
    CSirIrda& operator=(const CSirIrda&) = delete;

    bool Open() override {
        Close();
        problem_.clear();
        if (!medium_->Open(problem_)) return false;
        if (!settings_.tracePath.empty() && !trace_) {
            trace_ = CIrdaTrace::Create(settings_.tracePath, &problem_);
            // Said once, where a terminal sees it; Problem() carries it to the status line.
            if (!trace_ && !traceReported_) std::cerr << "Tessel: " << problem_ << std::endl;
            traceReported_ = true;
        }
        line_ = &medium_->StartLine(trace_.get());
        SPrimaryConfig config;
        config.address = OwnAddress();
        config.maxBaud = settings_.maxBaud;
        config.slots = settings_.slots;
        config.info.hints = {0x04};  // a computer
        config.info.nickname = "Tessel";
        medium_->Offer(config);
        lap_ = std::make_unique<CIrlapPrimary>(*line_, config);
        lmp_ = std::make_unique<CIrlmpClient>(*lap_);
        tinyTp_ = true;
        return true;
    }

    void Close() override {
        if (!medium_->IsOpen()) return;
        const Deadline deadline = LinkClock::now() + kCloseLimit;
        lmp_->Disconnect(deadline);
        lap_->Disconnect();
        line_->Reset(deadline);
        lmp_.reset();
        lap_.reset();
        line_ = nullptr;
        medium_->Close();
        selectors_.clear();
        stream_.clear();
        packets_.clear();
    }

    bool IsOpen() const override { return medium_->IsOpen(); }
    // What went wrong on the way, else what the last Open had to say.
    std::string Problem() const override {
        std::string live = medium_->Problem();
        return live.empty() ? problem_ : live;
    }
    std::string Failure() const override { return medium_->Problem(); }

    bool QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) override {
        if (!IsOpen()) return false;
        // Discovery runs on an idle line: a link still up is closed first.
        const Deadline closing = LinkClock::now() + kCloseLimit;
        lmp_->Disconnect(closing);
        lap_->Disconnect();
        line_->Reset(closing);
        selectors_.clear();
        const std::vector<SDiscovered> devices = lap_->Discover(LinkClock::now() + kDiscoveryLimit);
        if (line_->Failed()) return false;
        const std::size_t records = SIrdaDeviceList::Start(answer, devices.size());
        for (std::size_t r = 0; r < records; ++r) {
            std::array<std::uint8_t, 4> id{};
            for (int i = 0; i < 4; ++i)
                id[i] = static_cast<std::uint8_t>(devices[r].address >> (8 * i));
            std::uint8_t* record =
                SIrdaDeviceList::PutRecord(answer, r, id, devices[r].info.nickname);
            const auto& hints = devices[r].info.hints;
            record[26] = hints.size() > 0 ? hints[0] : 0;
            record[27] = hints.size() > 1 ? hints[1] : 0;
            record[28] = devices[r].info.charset;
        }
        return true;
    }

    bool QueryService(const SIrdaAddress& address, const std::string& attribute) override {
        if (!IsOpen()) return false;
        const Deadline deadline = LinkClock::now() + kQueryLimit;
        return Selector(address, attribute, deadline).has_value();
    }

    bool SetTinyTP(bool on) override {
        tinyTp_ = on;
        return IsOpen();
    }

    bool Connect(const SIrdaAddress& address, Deadline deadline) override {
        if (!IsOpen()) return false;
        stream_.clear();
        packets_.clear();
        const auto lsap = Selector(address, tinyTp_ ? kTinyTpAttribute : kIrLmpAttribute, deadline);
        if (!lsap || *lsap < 1 || *lsap > 0x6F) return false;
        // A stream takes no SDUs whole, so the connect offers no MaxSduSize: a peer's stream
        // socket refuses a connection that offers one.
        std::vector<std::uint8_t> request;
        if (tinyTp_) request = STtpConnect{CTinyTpFlow::kInitialCredit, 0}.Encode();
        const auto confirm = lmp_->Connect(static_cast<std::uint8_t>(*lsap), request, deadline);
        if (!confirm) return false;
        if (tinyTp_) {
            const auto ttp = STtpConnect::Parse(*confirm);
            if (!ttp) {
                lmp_->Disconnect(deadline);
                return false;
            }
            flow_.Start(CTinyTpFlow::kInitialCredit, ttp->credit);
            peerMaxSdu_ = ttp->maxSdu;
        }
        return true;
    }

    void DiscardPending() override {
        if (IsOpen()) Collect();
        stream_.clear();
        packets_.clear();
    }

    long Send(std::span<const std::uint8_t> data, Deadline deadline) override {
        if (!IsOpen() || !lmp_->IsConnected()) return -1;
        if (!tinyTp_) {
            if (data.size() > lmp_->MaxData()) return -1;
            return lmp_->Send(data, deadline) ? static_cast<long>(data.size()) : -1;
        }
        // One record as one TinyTP SDU, cut to the radio's frame size; the more bit joins the
        // pieces when the radio reassembles SDUs of this size, else the pieces simply follow in
        // the stream.
        const std::size_t piece = lmp_->MaxData() - kTtpHeader;
        const bool whole = peerMaxSdu_ >= data.size();
        std::size_t sent = 0;
        do {
            while (!flow_.CanSend()) {
                // What is queued goes first; its answer may bring the credit.
                if (!lmp_->Flush(deadline)) return -1;
                if (LinkClock::now() >= deadline || !Wait(deadline)) return -1;
            }
            const std::size_t n = std::min(piece, data.size() - sent);
            const bool more = whole && sent + n < data.size();
            const auto pdu = STtpData::Encode(more, flow_.TakeForSend(), data.subspan(sent, n));
            if (!lmp_->Queue(pdu)) return -1;
            sent += n;
        } while (sent < data.size());
        return lmp_->Flush(deadline) ? static_cast<long>(sent) : -1;
    }

    long Receive(std::span<std::uint8_t> buffer, Deadline deadline) override {
        if (!IsOpen()) return -1;
        for (;;) {
            Collect();
            if (tinyTp_ && !stream_.empty()) {
                const std::size_t n = std::min(buffer.size(), stream_.size());
                std::copy_n(stream_.begin(), n, buffer.begin());
                stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(n));
                GiveCredit(deadline);
                return static_cast<long>(n);
            }
            if (!tinyTp_ && !packets_.empty()) {
                const auto& packet = packets_.front();
                const std::size_t n = std::min(buffer.size(), packet.size());
                std::copy_n(packet.begin(), n, buffer.begin());
                packets_.pop_front();
                return static_cast<long>(n);
            }
            if (closedByPeer_) return 0;
            if (!lmp_->IsConnected() || LinkClock::now() >= deadline) return -1;
            if (!Wait(deadline)) return closedByPeer_ ? 0 : -1;
        }
    }

  private:
    // The radio's LSAP for the class and attribute: asked once per connection of the link.
    std::optional<std::int32_t> Selector(const SIrdaAddress& address, const std::string& attribute,
                                         Deadline deadline) {
        const std::uint32_t device = AddressOf(address.DeviceId());
        if (!lap_->Connected() || lap_->Peer() != device) {
            lmp_->Disconnect(deadline);
            lap_->Disconnect();
            line_->Reset(deadline);
            selectors_.clear();
            if (!lap_->Connect(device, deadline)) return std::nullopt;
        }
        lmp_->Disconnect(deadline);
        closedByPeer_ = false;
        // Known per class and attribute: another class may well lack the attribute.
        const auto key = std::make_pair(address.ServiceName(), attribute);
        if (const auto known = selectors_.find(key); known != selectors_.end())
            return known->second;
        const auto answer = QueryIas(*lmp_, key.first, attribute, deadline);
        if (!answer) return std::nullopt;
        const auto value = answer->Integer();
        if (value) selectors_[key] = *value;
        return value;
    }

    // Takes what the link has brought so far into the stream or the packets.
    void Collect() {
        while (auto arrived = lmp_->ReceiveArrived()) Take(*arrived);
    }

    // One wait for the radio; false when the link or the connection has gone.
    bool Wait(Deadline deadline) {
        const SLmpReceived received = lmp_->Receive(deadline);
        Take(received);
        return received.event == ELmpEvent::Data || received.event == ELmpEvent::TimedOut;
    }

    void Take(const SLmpReceived& received) {
        if (received.event == ELmpEvent::Disconnected) closedByPeer_ = true;
        if (received.event != ELmpEvent::Data) return;
        if (!tinyTp_) {
            packets_.push_back(received.data);
            return;
        }
        const auto pdu = STtpData::Parse(received.data);
        if (!pdu) return;
        flow_.Received(pdu->credit);
        stream_.insert(stream_.end(), pdu->data.begin(), pdu->data.end());
    }

    void GiveCredit(Deadline deadline) {
        if (!flow_.PeerNeedsCredit()) return;
        lmp_->Send(STtpData::Encode(false, flow_.TakeForCredit(), {}), deadline);
    }

    std::unique_ptr<ILapMedium> medium_;
    SSirSettings settings_;
    std::unique_ptr<CIrdaTrace> trace_;
    std::string problem_;
    bool traceReported_ = false;
    ILapLine* line_ = nullptr;
    std::unique_ptr<CIrlapPrimary> lap_;
    std::unique_ptr<CIrlmpClient> lmp_;
    std::map<std::pair<std::string, std::string>, std::int32_t> selectors_;
    CTinyTpFlow flow_;
    std::uint16_t peerMaxSdu_ = 0;
    bool tinyTp_ = true;
    bool closedByPeer_ = false;
    std::deque<std::uint8_t> stream_;
    std::deque<std::vector<std::uint8_t>> packets_;
};

}  // namespace

SSirSettings SSirSettings::FromEnvironment() {
    SSirSettings settings;
    if (const char* baud = std::getenv("TESSEL_IRDA_BAUD"); baud && *baud) {
        int value = 0;
        const char* end = baud + std::char_traits<char>::length(baud);
        if (std::from_chars(baud, end, value).ptr == end && value >= 9600)
            settings.maxBaud = std::min(value, 115200);
    }
    if (const char* slots = std::getenv("TESSEL_IRDA_SLOTS"); slots && *slots) {
        int value = 0;
        const char* end = slots + std::char_traits<char>::length(slots);
        if (std::from_chars(slots, end, value).ptr == end && sir::SlotCountCode(value))
            settings.slots = value;
    }
    if (const char* trace = std::getenv("TESSEL_IRDA_TRACE"); trace && *trace)
        settings.tracePath = trace;
    return settings;
}

std::unique_ptr<IIrdaPlatform> MakeSirIrdaPlatform(const std::string& port) {
    return MakeSirIrdaPlatform(port, SSirSettings::FromEnvironment());
}

std::unique_ptr<IIrdaPlatform> MakeSirIrdaPlatform(const std::string& port,
                                                   const SSirSettings& settings) {
    return MakeLapIrdaPlatform(std::make_unique<CSerialMedium>(port), settings);
}

std::unique_ptr<IIrdaPlatform> MakeLapIrdaPlatform(std::unique_ptr<ILapMedium> medium,
                                                   const SSirSettings& settings) {
    return std::make_unique<CSirIrda>(std::move(medium), settings);
}
