#include "U_sirradio.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <random>
#include <stdexcept>

#include "U_irdasocket.h"
#include "sir/U_iasframe.h"
#include "sir/U_irlapframe.h"
#include "sir/U_irlmpframe.h"
#include "sir/U_sirline.h"
#include "sir/U_tinytp.h"
#include "sir/U_tinytpframe.h"

namespace sim {

namespace {

using namespace std::chrono_literals;
using namespace sir;
using Clock = std::chrono::steady_clock;

// The pseudo-terminal's master as the radio's line: paced writes when the radio has a rate,
// reads that end when the server is stopped.
class CPacedMaster final : public ISirBytes {
  public:
    CPacedMaster(int fd, const CStopSignal& stop, bool paced)
        : fd_(fd), stop_(stop), paced_(paced) {}

    bool Write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
        if (paced_ && !stop_.SleepFor(WireTime(bytes.size(), baud_))) return false;
        return WriteWithin(fd_, bytes, deadline, stop_);
    }

    long Read(std::span<std::uint8_t> buffer, Deadline deadline) override {
        for (;;) {
            std::array<pollfd, 2> fds{{{fd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}}};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return 0;
            const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(left.count()) + 1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0 || fds[1].revents) return -1;
            if (ready == 0) return 0;
            const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            if (n > 0) return n;
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            // Nobody holds the line open: wait a moment instead of spinning on the hang-up.
            if (!stop_.SleepFor(5ms)) return -1;
        }
    }

    bool SetBaud(int baud, Deadline /*deadline*/) override {
        baud_ = baud;
        return true;
    }

  private:
    int fd_;
    const CStopSignal& stop_;
    bool paced_;
    int baud_ = 9600;
};

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

// The secondary station: IrLAP in normal response mode, the IAS server and the radio's LSAP.
class CSirRadioServer::CStation {
  public:
    CStation(CVirtualRadio& radio, ISirBytes& bytes, const CStopSignal& stop)
        : radio_(radio),
          options_(radio.Options()),
          bytes_(bytes),
          line_(bytes, nullptr),
          stop_(stop) {}

    void Run() {
        for (;;) {
            auto frame = line_.Receive(Clock::now() + 100ms);
            if (line_.Failed()) return;
            if (connected_ && Clock::now() - lastHeard_ > kThreshold) Disconnected();
            if (!frame) continue;
            if (LoseFrame()) continue;
            // The frame has been on the line for its own length before the radio can answer.
            // Frames that came in a burst were on the line one after the other.
            readyAt_ =
                std::max(readyAt_, Clock::now()) +
                WireTime(Wrap(frame->Encode(), 0).size(), options_.baud > 0 ? line_.Baud() : 0);
            Handle(*frame);
        }
    }

  private:
    static constexpr auto kThreshold = 3s;
    static constexpr std::chrono::microseconds kDefaultMinTurn = 10ms;
    static constexpr std::size_t kRadioRequestLimit = 8192;
    static constexpr std::uint16_t kMaxSdu = 4096;  // the largest request taken in one piece

    bool HasFault(ELinkFaultKind kind, int number) const {
        for (const SLinkFault& fault : options_.linkFaults)
            if (fault.kind == kind && (fault.count == 0 || fault.count == number)) return true;
        return false;
    }

    bool LoseFrame() {
        if (!connected_) return false;
        return HasFault(ELinkFaultKind::Lose, ++heard_);
    }

    void Send(SLapFrame frame) {
        // A conforming secondary leaves the primary its minimum turnaround time after the last
        // frame heard, whether the line is paced or not: the default until the connection's
        // own value applies after the UA.
        const auto ready = readyAt_ + (connected_ ? primaryMinTurn_ : kDefaultMinTurn);
        if (Clock::now() < ready && !stop_.SleepFor(ready - Clock::now())) return;
        if (connected_ && HasFault(ELinkFaultKind::BadCheck, ++sent_)) {
            const std::vector<std::uint8_t> bytes = frame.Encode();
            const auto wrapped = WrapWithCheck(bytes, 0, FrameCheck(bytes) ^ 0x5A5A);
            bytes_.Write(wrapped, Clock::now() + 5s);
            return;
        }
        line_.Send(frame, Clock::now() + 5s);
    }

    void Respond(const SLapFrame& frame) { Send(frame); }

    // A frame of this station, the secondary, on a connection.
    static SLapFrame Response(std::uint8_t connection, std::uint8_t control) {
        SLapFrame frame;
        frame.connection = connection;
        frame.command = false;
        frame.control = control;
        return frame;
    }

    void Handle(const SLapFrame& frame) {
        if (!frame.command) return;
        switch (frame.Kind()) {
            case ELapKind::XID:
                if (!connected_ && frame.connection == kBroadcastConnection) Discovery(frame);
                return;
            case ELapKind::SNRM:
                Snrm(frame);
                return;
            default:
                break;
        }
        if (!connected_ || frame.connection != connection_) {
            // A command for a connection that is gone.
            if (frame.PollFinal() && frame.connection != kBroadcastConnection &&
                frame.connection == lastConnection_) {
                Respond(Response(frame.connection, ucontrol::kDm | kPollFinal));
            }
            return;
        }
        lastHeard_ = Clock::now();
        switch (frame.Kind()) {
            case ELapKind::DISC: {
                Respond(Response(connection_, ucontrol::kUa | kPollFinal));
                Disconnected();
                return;
            }
            case ELapKind::I:
                Acknowledge(frame.Nr());
                if (frame.Ns() == vr_) {
                    vr_ = (vr_ + 1) % 8;
                    Lmp(frame.info);
                }
                break;
            case ELapKind::RR:
            case ELapKind::RNR:
            case ELapKind::REJ:
            case ELapKind::SREJ:
                Acknowledge(frame.Nr());
                primaryBusy_ = frame.Kind() == ELapKind::RNR;
                if (frame.PollFinal()) StreamPolled();
                break;
            default:
                return;
        }
        if (frame.PollFinal()) Answer();
    }

    void Discovery(const SLapFrame& frame) {
        const auto xid = SXidInfo::Parse(frame.info);
        if (!xid || (xid->destination != kBroadcastDevice && xid->destination != radio_.DeviceId()))
            return;
        if (xid->slot == SXidInfo::kFinalSlot) {
            chosenSlot_ = -1;
            answered_ = false;
            return;
        }
        const int slots = SlotCount(xid->flags);
        if (chosenSlot_ < 0 || xid->slot < lastSlot_) {
            // A new discovery: one slot at random among those left.
            std::uniform_int_distribution<int> pick(xid->slot, std::max<int>(xid->slot, slots - 1));
            chosenSlot_ = pick(random_);
            answered_ = false;
        }
        lastSlot_ = xid->slot;
        if (answered_ || xid->slot != chosenSlot_) return;
        answered_ = true;
        SXidInfo answer;
        answer.source = radio_.DeviceId();
        answer.destination = xid->source;
        answer.flags = xid->flags;
        answer.slot = xid->slot;
        SDiscoveryInfo info;
        info.hints = options_.hints;
        info.nickname = Trimmed(radio_.ReportedModel());
        answer.discovery = info.Encode();
        SLapFrame response;
        response.command = false;
        response.control = ucontrol::kXidResponse | kPollFinal;
        response.info = answer.Encode();
        Respond(response);
    }

    void Snrm(const SLapFrame& frame) {
        const auto snrm = SConnectInfo::ParseSnrm(frame.info);
        if (!snrm || snrm->destination != radio_.DeviceId()) return;
        if (HasFault(ELinkFaultKind::NoSnrm, ++snrms_)) return;
        if (connected_) Disconnected();
        SConnectInfo ua;
        ua.source = radio_.DeviceId();
        ua.destination = snrm->source;
        ua.params.baud = BaudBitsUpTo(options_.baud > 0 ? options_.baud : 115200);
        ua.params.turnaround = 0x01;
        ua.params.dataSize = 0x01;  // 64 bytes, as small radios take
        ua.params.window = 0x7F;
        ua.params.extraBofs = 0x80;
        // 0.1 ms: a receiver needs a moment after its own transmission (0 reads as a faulty
        // peer to some stacks).
        ua.params.minTurn = 0x10;
        ua.params.disconnect = 0x01;
        const int rate = BaudOf(HighestCommon(ua.params.baud, snrm->params.baud));
        connection_ = snrm->connection;
        lastConnection_ = connection_;
        SLapFrame response = Response(connection_, ucontrol::kUa | kPollFinal);
        response.info = ua.EncodeUa();
        Respond(response);
        line_.SetBaud(rate > 0 ? rate : 9600, Clock::now() + 1s);
        primaryMaxInfo_ = static_cast<std::size_t>(std::max(DataSizeOf(snrm->params.dataSize), 64));
        primaryWindow_ = std::clamp(WindowOf(snrm->params.window), 1, 7);
        primaryMinTurn_ = std::chrono::microseconds(
            snrm->params.minTurn ? MinTurnMicrosOf(snrm->params.minTurn) : kDefaultMinTurn.count());
        connected_ = true;
        vs_ = va_ = vr_ = 0;
        heard_ = sent_ = 0;
        lastHeard_ = Clock::now();
    }

    void Disconnected() {
        connected_ = false;
        out_.clear();
        unacked_.clear();
        CloseLsap();
        line_.SetBaud(9600, Clock::now() + 1s);
    }

    void Acknowledge(int nr) {
        const int outstanding = (vs_ - va_ + 8) % 8;
        const int acked = (nr - va_ + 8) % 8;
        if (acked > outstanding) return;
        for (int i = 0; i < acked && !unacked_.empty(); ++i) unacked_.pop_front();
        va_ = nr;
    }

    bool Busy() {
        if (busyUntil_ && Clock::now() < *busyUntil_) return true;
        busyUntil_.reset();
        return false;
    }

    // The answer to a poll: what waits to go, within the window, the last frame final.
    void Answer() {
        if (cutPending_) {
            cutPending_ = false;
            Respond(Response(connection_, ucontrol::kDisc | kPollFinal));
            Disconnected();
            return;
        }
        // What the primary did not acknowledge by its poll goes again.
        while (!unacked_.empty()) {
            out_.push_front(std::move(unacked_.back()));
            unacked_.pop_back();
        }
        vs_ = va_;
        if (Busy()) {
            Respond(Response(connection_, SControl(ELapKind::RNR, vr_, true)));
            return;
        }
        FillFromRadio();
        std::vector<SLapFrame> frames;
        while (!primaryBusy_ && !out_.empty() &&
               static_cast<int>(unacked_.size()) < primaryWindow_) {
            SLapFrame frame = Response(connection_, IControl(vs_, vr_, false));
            frame.info = out_.front();
            unacked_.push_back(std::move(out_.front()));
            out_.pop_front();
            vs_ = (vs_ + 1) % 8;
            frames.push_back(std::move(frame));
        }
        if (frames.empty()) {
            frames.push_back(Response(connection_, SControl(ELapKind::RR, vr_, true)));
        } else {
            frames.back().control |= kPollFinal;
        }
        for (const SLapFrame& frame : frames) Send(frame);
    }

    // ---- IrLMP ----

    void SendLmp(const SLmpPdu& pdu) { out_.push_back(pdu.Encode()); }

    void CloseLsap() {
        lsapOpen_ = false;
        sdu_.clear();
        replyQueue_.clear();
        pendingReply_.reset();
    }

    void Lmp(std::span<const std::uint8_t> info) {
        const auto pdu = SLmpPdu::Parse(info);
        if (!pdu) return;
        if (pdu->control) {
            if (pdu->opcode == lmpop::kConnect) Connect(*pdu);
            if (pdu->opcode == lmpop::kDisconnect && lsapOpen_ && pdu->destination == ourLsap_ &&
                pdu->source == theirLsap_)
                CloseLsap();
            if (pdu->opcode == lmpop::kDisconnect && pdu->destination == kIasLsap) iasPeer_.reset();
            return;
        }
        if (pdu->destination == kIasLsap && iasPeer_ == pdu->source) {
            Ias(pdu->source, pdu->data);
            return;
        }
        if (lsapOpen_ && pdu->destination == ourLsap_ && pdu->source == theirLsap_) Data(pdu->data);
    }

    void Connect(const SLmpPdu& pdu) {
        if (pdu.destination == kIasLsap) {
            iasPeer_ = pdu.source;
            SendLmp(SLmpPdu::Control(pdu.source, kIasLsap, lmpop::kConnectConfirm, 0x00));
            return;
        }
        if (pdu.destination != kSirTinyTpLsap && pdu.destination != kSirIrLmpLsap) {
            SendLmp(SLmpPdu::Control(pdu.source, pdu.destination, lmpop::kDisconnect,
                                     lmpreason::kNoClient));
            return;
        }
        CloseLsap();
        tinyTp_ = pdu.destination == kSirTinyTpLsap;
        std::vector<std::uint8_t> confirm;
        if (tinyTp_) {
            const auto ttp = STtpConnect::Parse(pdu.data);
            if (!ttp) {
                SendLmp(SLmpPdu::Control(pdu.source, pdu.destination, lmpop::kDisconnect, 0xFF));
                return;
            }
            flow_.Start(CTinyTpFlow::kInitialCredit, ttp->credit);
            primaryMaxSdu_ = ttp->maxSdu;
            // MaxSduSize answers an offer: an initiator that offered none takes no SDUs whole
            // and gets none back (a stream socket refuses a confirm that carries one).
            confirm = STtpConnect{CTinyTpFlow::kInitialCredit,
                                  static_cast<std::uint16_t>(primaryMaxSdu_ > 0 ? kMaxSdu : 0)}
                          .Encode();
        }
        ourLsap_ = pdu.destination;
        theirLsap_ = pdu.source;
        lsapOpen_ = true;
        radio_.ConnectionOpened();
        SendLmp(SLmpPdu::Control(theirLsap_, ourLsap_, lmpop::kConnectConfirm, 0x00, confirm));
    }

    void Ias(std::uint8_t client, std::span<const std::uint8_t> data) {
        const auto query = SIasQuery::Parse(data);
        std::vector<std::uint8_t> answer;
        if (!query) {
            answer = SIasAnswer::EncodeFailure(0xFF);
        } else if (query->className != kIrdaServiceName) {
            answer = SIasAnswer::EncodeFailure(iasreturn::kNoSuchClass);
        } else if (query->attribute == "IrDA:TinyTP:LsapSel") {
            answer = SIasAnswer::EncodeInteger(0x0001, kSirTinyTpLsap);
        } else if (query->attribute == "IrDA:IrLMP:LsapSel") {
            answer = SIasAnswer::EncodeInteger(0x0001, kSirIrLmpLsap);
        } else {
            answer = SIasAnswer::EncodeFailure(iasreturn::kNoSuchAttribute);
        }
        SendLmp(SLmpPdu::Data(client, kIasLsap, answer));
    }

    void Data(std::span<const std::uint8_t> data) {
        bool complete = false;
        if (tinyTp_) {
            const auto pdu = STtpData::Parse(data);
            if (!pdu) return;
            flow_.Received(pdu->credit);
            if (pdu->data.empty()) return;  // credit only
            sdu_.insert(sdu_.end(), pdu->data.begin(), pdu->data.end());
            complete = primaryMaxSdu_ > 0 ? !pdu->more : StreamRequestComplete();
        } else {
            // The program's own 62-byte packets: a header byte, then data.
            if (data.empty() || (data[0] != kIrdaLastPacket && data[0] != kIrdaMoreFollows)) {
                sdu_.clear();
                return;
            }
            sdu_.insert(sdu_.end(), data.begin() + 1, data.end());
            complete = data[0] == kIrdaLastPacket;
        }
        if (sdu_.size() > kRadioRequestLimit) sdu_.clear();
        if (complete) Request();
    }

    // Without segmentation the stream carries no record boundaries: a request is whole when it
    // has the length its command gives, or when the primary polls without sending more.
    bool StreamRequestComplete() const {
        const std::size_t size = sdu_.size();
        switch (sdu_.front()) {
            case 0x01:
                return size == 7;  // the clock; a bare identification ends with the poll
            case 0x02:
            case 0x04:
                return size == 4;
            case 0x05:
                return size == 1;
            case 0x03: {
                if (size < 4) return false;
                const auto segment = static_cast<std::uint16_t>(sdu_[2] | sdu_[3] << 8);
                for (const SSegmentPlace& place : radio_.Model().places)
                    if (place.segment == segment) return size == 4 + place.length;
                return false;
            }
            default:
                return false;
        }
    }

    // A poll that brings no data ends what the stream has carried so far.
    void StreamPolled() {
        if (lsapOpen_ && tinyTp_ && primaryMaxSdu_ == 0 && !sdu_.empty()) Request();
    }

    void Request() {
        const std::vector<std::uint8_t> request = std::move(sdu_);
        sdu_.clear();
        ++requests_;
        if (HasFault(ELinkFaultKind::Cut, requests_)) {
            cutPending_ = true;
            return;
        }
        if (HasFault(ELinkFaultKind::Busy, requests_) && !busyStarted_) {
            busyStarted_ = true;
            busyUntil_ = Clock::now() + options_.lateBy;
        }
        SReply reply = radio_.Handle(request, ELink::Irda);
        if (reply.silent) return;
        pendingReply_ = std::move(reply);
        replyAt_ = Clock::now() + pendingReply_->delay;
    }

    // Moves the radio's reply, once it is due, into IrLMP PDUs within the TinyTP credit.
    void FillFromRadio() {
        if (!lsapOpen_) return;
        if (pendingReply_ && Clock::now() >= replyAt_) {
            const SReply reply = std::move(*pendingReply_);
            pendingReply_.reset();
            Queue(reply.payload);
            if (reply.dropAfter) dropAfterReply_ = true;
        }
        if (tinyTp_) {
            while (!replyQueue_.empty() && flow_.CanSend()) {
                auto& piece = replyQueue_.front();
                SendLmp(SLmpPdu::Data(
                    theirLsap_, ourLsap_,
                    STtpData::Encode(piece.first, flow_.TakeForSend(), piece.second)));
                replyQueue_.pop_front();
            }
            if (flow_.PeerNeedsCredit())
                SendLmp(SLmpPdu::Data(theirLsap_, ourLsap_,
                                      STtpData::Encode(false, flow_.TakeForCredit(), {})));
        } else {
            while (!replyQueue_.empty()) {
                SendLmp(SLmpPdu::Data(theirLsap_, ourLsap_, replyQueue_.front().second));
                replyQueue_.pop_front();
            }
        }
        if (dropAfterReply_ && replyQueue_.empty()) {
            dropAfterReply_ = false;
            SendLmp(SLmpPdu::Control(theirLsap_, ourLsap_, lmpop::kDisconnect,
                                     lmpreason::kUserRequest));
            CloseLsap();
        }
    }

    void Queue(const std::vector<std::uint8_t>& payload) {
        if (tinyTp_) {
            const std::size_t piece = primaryMaxInfo_ - 3;
            std::size_t at = 0;
            do {
                const std::size_t n = std::min(piece, payload.size() - at);
                const bool more = primaryMaxSdu_ > 0 && at + n < payload.size();
                replyQueue_.emplace_back(
                    more, std::vector<std::uint8_t>(
                              payload.begin() + static_cast<std::ptrdiff_t>(at),
                              payload.begin() + static_cast<std::ptrdiff_t>(at + n)));
                at += n;
            } while (at < payload.size());
            return;
        }
        std::size_t at = 0;
        do {
            const std::size_t left = payload.size() - at;
            const std::size_t n = std::min(left, kIrdaPacketSize - 1);
            std::vector<std::uint8_t> packet{left > n ? kIrdaMoreFollows : kIrdaLastPacket};
            packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                          payload.begin() + static_cast<std::ptrdiff_t>(at + n));
            replyQueue_.emplace_back(false, std::move(packet));
            at += n;
        } while (at < payload.size());
    }

    CVirtualRadio& radio_;
    const SVirtualRadioOptions& options_;
    ISirBytes& bytes_;
    CSirLine line_;
    const CStopSignal& stop_;
    std::mt19937 random_{std::random_device{}()};
    Clock::time_point readyAt_{};
    // discovery
    int chosenSlot_ = -1;
    int lastSlot_ = 0;
    bool answered_ = false;
    // IrLAP
    bool connected_ = false;
    std::uint8_t connection_ = 0;
    std::uint8_t lastConnection_ = 0xFF;
    int vs_ = 0, va_ = 0, vr_ = 0;
    bool primaryBusy_ = false;
    std::size_t primaryMaxInfo_ = 64;
    int primaryWindow_ = 1;
    std::chrono::microseconds primaryMinTurn_ = kDefaultMinTurn;
    std::deque<std::vector<std::uint8_t>> out_;
    std::deque<std::vector<std::uint8_t>> unacked_;
    Clock::time_point lastHeard_{};
    int heard_ = 0, sent_ = 0, snrms_ = 0, requests_ = 0;
    bool cutPending_ = false;
    bool busyStarted_ = false;
    std::optional<Clock::time_point> busyUntil_;
    // IrLMP, IAS, TinyTP
    std::optional<std::uint8_t> iasPeer_;
    bool lsapOpen_ = false;
    bool tinyTp_ = true;
    std::uint8_t ourLsap_ = 0, theirLsap_ = 0;
    CTinyTpFlow flow_;
    std::uint16_t primaryMaxSdu_ = 0;
    std::vector<std::uint8_t> sdu_;
    std::optional<SReply> pendingReply_;
    Clock::time_point replyAt_{};
    bool dropAfterReply_ = false;
    std::deque<std::pair<bool, std::vector<std::uint8_t>>> replyQueue_;
};

CSirRadioServer::CSirRadioServer(CVirtualRadio& radio) : CPseudoTerminalServer(radio) {
    StartServing([this] { Run(); });
}

CSirRadioServer::~CSirRadioServer() {
    StopServing();
}

void CSirRadioServer::Run() {
    CPacedMaster bytes(Master(), stop_, radio_.Options().baud > 0);
    CStation station(radio_, bytes, stop_);
    station.Run();
}

}  // namespace sim
