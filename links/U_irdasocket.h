#pragma once
// The program-wide IrDA socket. One object for the whole program, created by main and handed to
// the radio search; it is open only during a search and while a found IrDA link lives. In
// packet mode the program frames the data itself in packets of at most 62 bytes: a header
// (0x80 while more follows, 0x00 on the last) and up to 61 data bytes.

#include <chrono>
#include <memory>
#include <optional>
#include <span>

#include "U_irdaplatform.h"

enum class EIrdaMode { Stream, Packet };

inline constexpr std::size_t kIrdaPacketSize = 62;
inline constexpr std::uint8_t kIrdaMoreFollows = 0x80;
inline constexpr std::uint8_t kIrdaLastPacket = 0x00;
inline constexpr std::chrono::milliseconds kDefaultLinkWindow{3000};

// TESSEL_IRDA_MODE=packet selects packet mode; anything else, or nothing, the stream.
EIrdaMode IrdaModeFromEnvironment();

class CIrDASocket {
  public:
    CIrDASocket(std::unique_ptr<IIrdaPlatform> platform, EIrdaMode mode);
    ~CIrDASocket();
    CIrDASocket(const CIrDASocket&) = delete;
    CIrDASocket& operator=(const CIrDASocket&) = delete;

    bool open();
    // Another platform from now on; the link on the old one, if any, is closed first.
    void setPlatform(std::unique_ptr<IIrdaPlatform> platform);
    // The platform's word on the last open, for the user ("the adapter is busy", "no trace");
    // "" when it has none. openFailed: that open did not succeed.
    std::string problem() const { return platform_ ? platform_->Problem() : std::string(); }
    bool openFailed() const { return openFailed_; }
    // Why the last link broke ("ИК-адаптер … отключён") or, after an open that failed, why it
    // failed; "" when neither. Still told after the link has closed.
    std::string failure() const;
    // Set by the radio search: a device in range answered discovery and then went quiet (no
    // service, no connection or no identification). Another model's search would only meet the
    // same silence, so the search ends there.
    void setSilentDevice(bool met) { silentDevice_ = met; }
    bool silentDevice() const { return silentDevice_; }
    // Also after the adapter went away: the other models would meet the same.
    bool searchAgainUseless() const;
    void close();
    bool isOpen() const;
    // Copies at most list.size() devices; the count the platform reported, or nothing when the
    // query failed.
    std::optional<int> enumerate(std::span<SIrdaDevice> list);
    bool queryService(const SIrdaAddress& address);
    // Within the link's window: a radio that does not take the connection is passed over.
    bool connect(const SIrdaAddress& address);
    void discardPending();
    // The number of bytes counted as sent or received; -1 on an error or a passed deadline.
    // recv returns 0 when the radio closed the link.
    long send(std::span<const std::uint8_t> data, Deadline deadline);
    long recv(std::span<std::uint8_t> buffer, Deadline deadline);

    EIrdaMode mode() const { return mode_; }
    // How long a request may take to go out and its reply to come in.
    std::chrono::milliseconds window() const { return window_; }
    void setWindow(std::chrono::milliseconds window) { window_ = window; }

  private:
    long sendPackets(std::span<const std::uint8_t> data, Deadline deadline);
    long recvPackets(std::span<std::uint8_t> buffer, Deadline deadline);

    std::unique_ptr<IIrdaPlatform> platform_;
    EIrdaMode mode_;
    std::chrono::milliseconds window_ = kDefaultLinkWindow;
    bool openFailed_ = false;
    bool silentDevice_ = false;
};
