#pragma once
// One end of a serial infrared line: IrLAP frames out and in over a byte transport (the
// adapter's serial port, or the virtual radio's pseudo-terminal), with the extra BOFs and the
// minimum turnaround time the other station asked for, and the protocol trace.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "U_irdaplatform.h"
#include "U_irlapframe.h"
#include "U_sirframe.h"

namespace sir {

class CIrdaTrace;

// The bytes under the frames.
class ISirBytes {
  public:
    virtual ~ISirBytes() = default;
    virtual bool Write(std::span<const std::uint8_t> bytes, Deadline deadline) = 0;
    // Bytes read; 0 when the deadline passed first; -1 on an error.
    virtual long Read(std::span<std::uint8_t> buffer, Deadline deadline) = 0;
    // Changes the rate once what was written has left.
    virtual bool SetBaud(int baud, Deadline deadline) = 0;
};

// The largest frame accepted: 2048 data bytes and the IrLAP header.
inline constexpr std::size_t kLargestFrame = 2048 + 2;

// The time a number of bytes takes on the line: start bit, eight data bits, stop bit.
std::chrono::microseconds WireTime(std::size_t bytes, int baud);

// What IrLAP needs of the medium under it: whole frames out and in, the rate, and the other
// station's needs. A serial infrared line frames the bytes itself; an adapter that frames in
// its own hardware takes and gives the frames as they are.
class ILapLine {
  public:
    virtual ~ILapLine() = default;
    virtual bool Send(const SLapFrame& frame, Deadline deadline) = 0;
    // The next frame with a good check; nothing when the deadline passes first or on an error
    // of the transport (Failed() tells which).
    virtual std::optional<SLapFrame> Receive(Deadline deadline) = 0;
    virtual bool Failed() const = 0;
    virtual bool SetBaud(int baud, Deadline deadline) = 0;
    virtual int Baud() const = 0;
    // What the other station asked for: extra BOFs at 115200 baud, its minimum turnaround time.
    virtual void SetPeerNeeds(int extraBofsAt115200, int minTurnMicros) = 0;
    // Back to the link's initial state: 9600 baud, no extra BOFs, nothing buffered.
    virtual void Reset(Deadline deadline) = 0;
    // Frames dropped on the way in (bad check, aborted, too long), for tests and traces.
    virtual std::size_t Dropped() const = 0;
};

class CSirLine final : public ILapLine {
  public:
    CSirLine(ISirBytes& bytes, CIrdaTrace* trace);

    bool Send(const SLapFrame& frame, Deadline deadline) override;
    std::optional<SLapFrame> Receive(Deadline deadline) override;
    bool Failed() const override { return failed_; }
    bool SetBaud(int baud, Deadline deadline) override;
    int Baud() const override { return baud_; }
    void SetPeerNeeds(int extraBofsAt115200, int minTurnMicros) override;
    void Reset(Deadline deadline) override;
    std::size_t Dropped() const override { return dropped_; }

  private:
    ISirBytes& bytes_;
    CIrdaTrace* trace_;
    CDeframer deframer_{kLargestFrame};
    std::vector<std::uint8_t> pending_;  // read and not yet fed
    std::size_t pendingAt_ = 0;
    int baud_ = 9600;
    int extraBofs_ = 0;
    std::chrono::microseconds minTurn_{0};
    LinkClock::time_point lastReceived_{};
    std::size_t dropped_ = 0;
    bool failed_ = false;
};

}  // namespace sir
