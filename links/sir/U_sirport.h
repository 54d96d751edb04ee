#pragma once
// The serial port of an infrared adapter: opened exclusively, raw 8N1 without flow control,
// at a rate the IrDA link asks for. The port's own settings are saved on open and put back on
// close (and when opening fails half-way), so other programs find it as it was.

#include <termios.h>
#include <string>

#include "U_sirline.h"

namespace sir {

class CSirPort final : public ISirBytes {
  public:
    CSirPort() = default;
    ~CSirPort() override;
    CSirPort(const CSirPort&) = delete;
    CSirPort& operator=(const CSirPort&) = delete;

    // False with a reason when the port cannot be had.
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    bool Write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    long Read(std::span<std::uint8_t> buffer, Deadline deadline) override;
    bool SetBaud(int baud, Deadline deadline) override;

  private:
    bool WaitSent(Deadline deadline);

    int fd_ = -1;
    termios saved_{};
};

// The termios speed constant of a rate; B0 for a rate the port cannot take.
speed_t SpeedOf(int baud);

}  // namespace sir
