#pragma once
// The operations the IrDA link needs from the platform: one socket that is opened, asked for the
// devices in range and for a device's service, connected by service name, and that moves
// records. Another platform (a kernel IrDA stack) is another implementation of this interface.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

using LinkClock = std::chrono::steady_clock;
using Deadline = LinkClock::time_point;

inline constexpr const char* kIrdaServiceName = "Varnex";
inline constexpr std::uint16_t kIrdaAddressFamily = 26;

// The 32-byte connect address: family (16-bit), device identifier (4 bytes), service name
// (25 bytes, zero-padded), one pad byte.
struct SIrdaAddress {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t kIdOffset = 2;
    static constexpr std::size_t kServiceOffset = 6;
    static constexpr std::size_t kServiceSize = 25;

    std::array<std::uint8_t, kSize> bytes{};

    static SIrdaAddress ForService(const std::string& service);
    void SetDeviceId(std::span<const std::uint8_t, 4> id);
    std::array<std::uint8_t, 4> DeviceId() const;
    std::string ServiceName() const;
};

// The device-list answer: a 32-bit count, then 29-byte records of identifier (4 bytes), name
// (22 bytes), two hint bytes and a character-set byte.
struct SIrdaDeviceList {
    static constexpr std::size_t kBufferSize = 297;
    static constexpr std::size_t kRecordSize = 29;
    static constexpr std::size_t kCountSize = 4;
    static constexpr std::size_t kNameSize = 22;
    static constexpr std::size_t kMaxRecords = (kBufferSize - kCountSize) / kRecordSize;

    // Clears the answer and writes the count of devices found, low byte first; returns how many
    // of them get a record (no more than fit).
    static std::size_t Start(std::span<std::uint8_t, kBufferSize> answer, std::size_t found);
    // Writes record r's identifier and its name, cut to leave the end mark; returns the record
    // for the bytes that follow the name.
    static std::uint8_t* PutRecord(std::span<std::uint8_t, kBufferSize> answer, std::size_t r,
                                   std::span<const std::uint8_t, 4> id, const std::string& name);
};

struct SIrdaDevice {
    std::array<std::uint8_t, 4> id{};
    std::array<char, SIrdaDeviceList::kNameSize> name{};
};

class IIrdaPlatform {
  public:
    virtual ~IIrdaPlatform() = default;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Fills the device-list answer; false when the query fails.
    virtual bool QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) = 0;
    // True when the device's information base has the class and an integer attribute.
    virtual bool QueryService(const SIrdaAddress& address, const std::string& attribute) = 0;
    // Off: the link delivers raw packets instead of a stream (the 62-byte packet mode).
    virtual bool SetTinyTP(bool on) = 0;
    // False when the connection is refused or not made before the deadline.
    virtual bool Connect(const SIrdaAddress& address, Deadline deadline) = 0;
    // Drops whatever has arrived and not been received yet (a reply that came too late).
    virtual void DiscardPending() = 0;
    // One record each; the count moved, 0 from Receive when the peer closed, -1 on an error or
    // when the deadline passes first.
    virtual long Send(std::span<const std::uint8_t> data, Deadline deadline) = 0;
    virtual long Receive(std::span<std::uint8_t> buffer, Deadline deadline) = 0;
    // What the user must be told about the last Open, in Russian: why it failed (the adapter
    // busy) or what does not work (the trace); "" when nothing.
    virtual std::string Problem() const { return {}; }
    // Why the link broke since the last Open (the adapter unplugged), in Russian; "" when it
    // has not or the platform cannot tell.
    virtual std::string Failure() const { return {}; }
};
