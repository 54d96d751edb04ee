#pragma once
// The virtual radio on a link: a server thread that takes requests from the infrared
// neighbourhood or from a pseudo-terminal, lets the radio answer and sends the reply back the
// way that link carries it. Destroying a server stops its thread and removes what it created.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <thread>

#include "U_simradio.h"

namespace sim {

// A descriptor that a server thread waits on beside its link: readable once Stop is called.
class CStopSignal {
  public:
    CStopSignal();
    ~CStopSignal();
    CStopSignal(const CStopSignal&) = delete;
    CStopSignal& operator=(const CStopSignal&) = delete;

    void Stop();
    int Fd() const { return fd_; }
    // Sleeps for the duration or until stopped; false when stopped.
    bool SleepFor(std::chrono::nanoseconds duration) const;

  private:
    int fd_;
};

// Writes all of bytes to a non-blocking descriptor (the radio's end of its line), waiting for
// room while the line drains. A line that does not drain by the deadline, a stop and an error
// all end the write: false, with what was written already on the line.
bool WriteWithin(int fd, std::span<const std::uint8_t> bytes,
                 std::chrono::steady_clock::time_point deadline, const CStopSignal& stop);

// How long a reply may wait for a line that does not drain: the program's reply window, after
// which nobody waits for it any more.
inline constexpr std::chrono::milliseconds kStalledLineLimit{3000};

class CRadioServer {
  public:
    virtual ~CRadioServer() = default;
    // Where a program finds the radio: the socket file or the pseudo-terminal's device path.
    virtual std::string Address() const = 0;
};

// Listens in the neighbourhood directory as "<device id>-<model>"; one connection at a time.
// The link mode follows the program's first record: a packet header (0x00 or 0x80) there means
// the 62-byte packet mode, a command code the stream.
class CIrdaRadioServer final : public CRadioServer {
  public:
    // Throws std::runtime_error when the socket cannot be made.
    CIrdaRadioServer(CVirtualRadio& radio, const std::filesystem::path& directory);
    ~CIrdaRadioServer() override;

    std::string Address() const override { return path_.string(); }

  private:
    void Run();
    void Serve(int connection);

    CVirtualRadio& radio_;
    std::filesystem::path path_;
    int listener_ = -1;
    CStopSignal stop_;
    std::thread thread_;
};

// The radio's end of a pseudo-terminal: the master it serves (non-blocking, so that a program
// that stops reading never holds the radio), and the program's end held open (raw) so that the
// line stays up between the program's opens. Throws std::runtime_error when the system gives no
// pseudo-terminal.
struct SPseudoTerminal {
    int master = -1;
    int slaveHold = -1;
    std::string slavePath;
};
SPseudoTerminal OpenRawPseudoTerminal();

// A server on a pseudo-terminal of its own, whose device path the program opens as a serial
// port; a thread of the server serves the master end.
class CPseudoTerminalServer : public CRadioServer {
  public:
    std::string Address() const final { return line_.slavePath; }

  protected:
    // Throws std::runtime_error when no pseudo-terminal can be had.
    explicit CPseudoTerminalServer(CVirtualRadio& radio);
    ~CPseudoTerminalServer() override;

    // Starts the serving thread: the last step of a derived server's constructor.
    void StartServing(std::function<void()> serve);
    // Stops and joins the serving thread: the first step of a derived server's destructor, so
    // that the thread never outlives the members it uses.
    void StopServing();
    int Master() const { return line_.master; }

    CVirtualRadio& radio_;
    CStopSignal stop_;

  private:
    SPseudoTerminal line_;
    std::thread thread_;
};

// The radio on a serial line.
class CSerialRadioServer final : public CPseudoTerminalServer {
  public:
    explicit CSerialRadioServer(CVirtualRadio& radio);
    ~CSerialRadioServer() override;

  private:
    void Run();
    void Answer(std::span<const std::uint8_t> request,
                std::chrono::steady_clock::time_point requestStart, std::size_t requestWireBytes);
    bool WritePaced(std::span<const std::uint8_t> bytes);
    std::chrono::nanoseconds WireTime(std::size_t bytes) const;

    bool dropped_ = false;
};

}  // namespace sim
