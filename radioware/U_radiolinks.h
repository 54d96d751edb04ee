#pragma once
// The link operations that the program hands to the plug-ins. The objects behind them belong
// to the program; a plug-in only calls them. None has a public destructor: the program
// destroys a link through its concrete class.

#include <cstdint>
#include <span>
#include <string>

// Link kinds, as bits of IRadioWare::LinkKinds and as the kind of a found link.
inline constexpr int PR_NET_IRDA = 1;
inline constexpr int PR_NET_SP = 2;

// Identification of the radio behind an IrDA link.
class IRadioInfo {
  public:
    virtual std::string FW() const = 0;
    virtual std::string SN() const = 0;
    virtual int BankFlag() const = 0;
    virtual int RangeCount() const = 0;
    // Edge 0 is the low edge, 1 the high edge, in Hz; anything out of range yields the base
    // frequency of the radio.
    virtual int RangeEdge(int index, int edge) const = 0;

  protected:
    ~IRadioInfo() = default;
};

// The IrDA link. Each operation is one request and reply, true only when the reply came in
// time and matches the request.
class IRadioSocket {
  public:
    virtual IRadioInfo* GetInfo() = 0;
    virtual bool SetClock() = 0;
    virtual bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) = 0;
    virtual bool PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) = 0;
    virtual bool ReleaseSegment(std::uint16_t segment) = 0;
    virtual bool EndSession() = 0;

  protected:
    ~IRadioSocket() = default;
};

// Identification of the radio behind a serial link.
class IDeviceInfo {
  public:
    virtual std::string FW() const = 0;
    virtual std::string Revision() const = 0;
    virtual int BaseUnits() const = 0;
    virtual int AuxWordA() const = 0;
    virtual int StepHz() const = 0;
    virtual int AuxWordB() const = 0;
    virtual int RangeEdge(int index, int edge) const = 0;

  protected:
    ~IDeviceInfo() = default;
};

// The serial link: the IrDA operations without SetClock.
class IRadioSerial {
  public:
    virtual IDeviceInfo* GetInfo() = 0;
    virtual bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) = 0;
    virtual bool PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) = 0;
    virtual bool ReleaseSegment(std::uint16_t segment) = 0;
    virtual bool EndSession() = 0;

  protected:
    ~IRadioSerial() = default;
};
