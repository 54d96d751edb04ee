#pragma once
// The serial link to a radio: the IrDA commands inside frames with a check value (U_frame).
// A reply's length counts its two check bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "U_radiolinks.h"
#include "U_radioware.h"
#include "U_serialport.h"

// The radio's answer to identification, as the radio lays it out (payload offsets).
class CDeviceInfo final : public IDeviceInfo {
  public:
    static constexpr std::size_t kMinimumPayload = 124;
    static constexpr std::size_t kRevisionOffset = 10;
    static constexpr std::size_t kModelOffset = 20;
    static constexpr std::size_t kWordAOffset = 100;
    static constexpr std::size_t kBaseOffset = 102;
    static constexpr std::size_t kWordBOffset = 104;
    static constexpr std::size_t kStepOffset = 106;
    static constexpr std::size_t kRangesOffset = 108;
    static constexpr int kRanges = 4;

    // Bytes missing from a short payload read as zero.
    explicit CDeviceInfo(std::span<const std::uint8_t> payload);

    std::string FW() const override { return model_; }
    std::string Revision() const override { return revision_; }
    int BaseUnits() const override { return base_; }
    int AuxWordA() const override { return wordA_; }
    int StepHz() const override { return step_; }
    int AuxWordB() const override { return wordB_; }
    // Range 0..3, edge 0 (low) or 1 (high); other arguments give the base frequency.
    int RangeEdge(int index, int edge) const override;

  private:
    std::string model_;
    std::string revision_;
    int base_ = 0;
    int wordA_ = 0;
    int step_ = 0;
    int wordB_ = 0;
    int ranges_[kRanges][2] = {};
};

// Sends the payload in a frame and waits the port's window for a good reply frame. The stored
// reply length (payload and check bytes), or nothing. At most reply.size() bytes are stored.
std::optional<std::size_t> ExchangeFrame(SerialPort& port, std::span<const std::uint8_t> payload,
                                         std::span<std::uint8_t> reply);

class CRadioSerial final : public IRadioSerial {
  public:
    CRadioSerial(SerialPort& port, std::unique_ptr<CDeviceInfo> info);
    // Closes the program-wide port: the link ends with this object.
    ~CRadioSerial();
    CRadioSerial(const CRadioSerial&) = delete;
    CRadioSerial& operator=(const CRadioSerial&) = delete;

    IDeviceInfo* GetInfo() override { return info_.get(); }
    const CDeviceInfo& Info() const { return *info_; }
    bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) override;
    bool PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) override;
    // Nothing travels: the serial radio takes the new bank at the end of the session.
    bool ReleaseSegment(std::uint16_t segment) override;
    bool EndSession() override;
    // Why the line broke ("Порт /dev/ttyUSB0 отключён"); "" when it has not.
    std::string Failure() const { return port_.failure(); }

  private:
    SerialPort& port_;
    std::unique_ptr<CDeviceInfo> info_;
};

// The identification of the radio on the open port, or nothing.
std::unique_ptr<CDeviceInfo> IdentifySerial(SerialPort& port);

// What a serial search is after: asked for each radio the qualifier accepted (last: no port
// follows), true keeps its link and ends the search, false closes the port and goes on. Without
// it the first radio the qualifier accepts is taken.
using SerialTake =
    std::function<bool(const CRadioSerial& link, const std::string& port, bool last)>;

// The serial part of the radio search: each port of the list in order, each opened afresh, so a
// radio rejected or not taken on one port does not hide the ports after it. The port stays open
// for the link returned.
std::unique_ptr<CRadioSerial> SearchSerial(SerialPort& port, IRadioQualifier& qualifier,
                                           const SerialTake& take = {});
