#pragma once
// The serial port of an infrared adapter: opened exclusively, raw 8N1 without flow control,
// at a rate the IrDA link asks for. The port's own settings are saved on open and put back on
// close (and when opening fails half-way), so other programs find it as it was.

#include <termios.h>

#include <filesystem>
#include <string>

#include "U_sirline.h"

namespace sir {

class CSirPort final : public ISirBytes {
  public:
    CSirPort() = default;
    ~CSirPort() override;
    CSirPort(const CSirPort&) = delete;
    CSirPort& operator=(const CSirPort&) = delete;

    // False with the reason for the user, in Russian, when the port cannot be had. The port is
    // held with flock and TIOCEXCL while open; a port that another program holds (so, or by a
    // UUCP lock file in /var/lock) is "busy".
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // After the line has failed (the adapter pulled out, the line hung up) every call fails at
    // once until the port is opened again.
    bool Write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    long Read(std::span<std::uint8_t> buffer, Deadline deadline) override;
    bool SetBaud(int baud, Deadline deadline) override;

    // Why the line failed since the last Open, for the user ("ИК-адаптер /dev/ttyUSB0
    // отключён"); "" when it has not. Still told after Close.
    const std::string& Failure() const { return failure_; }

  private:
    bool WaitSent(Deadline deadline);
    // Waits for the events; false, with the failure noted, when the line hung up or failed.
    // timedOut tells a passed deadline.
    bool Wait(short events, Deadline deadline, bool& timedOut);
    // Notes the first failure of the line (an errno value) and returns false.
    bool Fail(int error);

    int fd_ = -1;
    termios saved_{};
    std::string path_;
    std::string failure_;
};

// Where the serial tools of the system leave their LCK..<port> files.
inline constexpr const char* kUucpLockFolder = "/var/lock";
// True when such a file names a live process other than this one.
bool HeldByUucpLock(const std::string& path, const std::filesystem::path& lockFolder);
// "ИК-адаптер /dev/ttyUSB0 занят другой программой".
std::string BusyText(const std::string& path);

// The termios speed constant of a rate; B0 for a rate the port cannot take.
speed_t SpeedOf(int baud);

}  // namespace sir
