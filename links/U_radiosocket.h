#pragma once
// The IrDA link to a radio: its identification and the request/reply commands. Requests and
// replies travel without framing; a reply carries the command code with bit 0x80 set.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "U_irdasocket.h"
#include "U_radiolinks.h"
#include "U_radioware.h"

// The identification of the radio: the reply without its command byte. Model identifier (5),
// one byte, the bank flag in bit 0, the serial number (32-bit), the base in 100 Hz and then
// (low, high) pairs in 12.5 kHz steps above the base.
class CRadioInfo final : public IRadioInfo {
  public:
    static constexpr std::size_t kSerialOffset = 7;
    static constexpr std::size_t kBaseOffset = 11;
    static constexpr std::size_t kRangesOffset = 15;
    static constexpr int kBaseUnitHz = 100;
    static constexpr int kRangeStepHz = 12500;

    explicit CRadioInfo(std::span<const std::uint8_t> infoBytes);

    std::string FW() const override;
    std::string SN() const override;
    int BankFlag() const override;
    int RangeCount() const override;
    int RangeEdge(int index, int edge) const override;

  private:
    std::uint8_t Byte(std::size_t offset) const;
    std::uint16_t Word(std::size_t offset) const;
    std::uint32_t DoubleWord(std::size_t offset) const;
    int BaseHz() const;

    std::vector<std::uint8_t> info_;
};

// What a reply must begin with to answer a request: its command code with the reply bit and,
// for segment commands, the segment number.
struct SReplyHead {
    std::uint8_t code;
    std::optional<std::uint16_t> segment;
};

// One request and its reply within the socket's window for each half. What waits on the link
// before the request is dropped, and a reply whose head does not match is taken for the late
// answer to an earlier request and passed over. The reply length, or nothing when the exchange
// failed.
std::optional<std::size_t> IrdaExchange(CIrDASocket& socket, std::span<const std::uint8_t> request,
                                        std::span<std::uint8_t> reply, std::size_t minimum,
                                        std::optional<SReplyHead> head = std::nullopt);

// How a write session ended. When the answer to EndSession is lost, the radio is asked which
// bank it uses: a radio that switched to the bank just written took the session's end.
enum class ESessionEnd {
    Open,         // EndSession was not called
    Confirmed,    // the radio answered it
    Unconfirmed,  // no answer, but the radio now uses the other bank: written
    NotTaken,     // no answer, and the radio still uses the bank it had: not written
    Unknown,      // no answer, and the radio could not be asked
};

class CRadioSocket final : public IRadioSocket {
  public:
    CRadioSocket(CIrDASocket& socket, std::unique_ptr<CRadioInfo> info);
    // Closes the program-wide socket: the link ends with this object.
    ~CRadioSocket();
    CRadioSocket(const CRadioSocket&) = delete;
    CRadioSocket& operator=(const CRadioSocket&) = delete;

    IRadioInfo* GetInfo() override { return info_.get(); }
    const CRadioInfo& Info() const { return *info_; }
    bool SetClock() override;
    bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) override;
    bool PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) override;
    bool ReleaseSegment(std::uint16_t segment) override;
    bool EndSession() override;

    // SetClock with a given time: year modulo 100, month, day, hour, minute, second.
    bool SetClockTo(const std::array<std::uint8_t, 6>& dateTime);

    ESessionEnd SessionEnd() const { return sessionEnd_; }
    // Why the link broke, for the user; "" when nothing is known.
    std::string Failure() const { return socket_.failure(); }

  private:
    ESessionEnd AskBankAfterEnd();

    bool SegmentCommand(std::uint8_t code, std::uint16_t segment,
                        std::span<const std::uint8_t> data, std::size_t replyCapacity,
                        std::span<std::uint8_t> destination);

    CIrDASocket& socket_;
    std::unique_ptr<CRadioInfo> info_;
    ESessionEnd sessionEnd_ = ESessionEnd::Open;
};

// The identification request and the acceptance of its reply; the CRadioInfo of the radio on
// a connected socket, or nothing.
std::unique_ptr<CRadioInfo> IdentifyIrda(CIrDASocket& socket);

// What an IrDA search is after. Without either function it takes the first radio the
// qualifier accepts.
struct SIrdaSearch {
    // Asked with a device's identification before the qualifier: false passes the device over
    // without reading anything of its memory.
    std::function<bool(const CRadioInfo& info)> wanted;
    // Asked for each radio the qualifier accepted (last: no device follows it): true keeps its
    // link and ends the search, false closes it and goes on with the next device.
    std::function<bool(const CRadioSocket& link, const SIrdaDevice& device, bool last)> take;
};

// The IrDA part of the radio search: up to five devices in the order reported. A device that
// fails to answer, a radio the qualifier rejects and a radio the search does not take are each
// passed over on a fresh socket, so every listed device is tried.
std::unique_ptr<CRadioSocket> SearchIrda(CIrDASocket& socket, IRadioQualifier& qualifier,
                                         const SIrdaSearch& search = {});
