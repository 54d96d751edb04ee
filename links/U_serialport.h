#pragma once
// The program-wide serial port: one object for the whole program, created by main; at most one
// port is open at a time. Line settings are fixed: 9600 baud, 8 data bits, no parity, one stop
// bit, raw bytes, no flow control of any kind, DTR and RTS held off. The port imposes no
// time-outs of its own; the link's waits apply.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "U_irdaplatform.h"
#include "U_pollwait.h"

inline constexpr std::size_t kMaxSerialPorts = 10;

// The serial ports of this machine that open: /dev/ttyS*, ttyUSB*, ttyACM* in that order, at
// most ten. TESSEL_SERIAL_PORTS (names separated by ':') replaces the list. An empty result is
// the first port of the platform, as a machine without ports still names one.
std::vector<std::string> EnumerateSerialPorts();
std::vector<std::string> SerialPortsFromList(const std::string& colonSeparated);
inline constexpr const char* kFallbackSerialPort = "/dev/ttyS0";

// Why the line of the port failed with the errno value: "Порт /dev/ttyUSB0 отключён" when the
// port went away (EIO, ENXIO, ENODEV, a hang-up), else the system's word.
std::string SerialFailureText(const std::string& port, int error);

class SerialPort {
  public:
    // Enumerates the ports of the machine.
    SerialPort();
    explicit SerialPort(std::vector<std::string> portList);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Exclusive, existing ports only; false and no port on failure. An open port is closed first.
    bool open(const std::string& name);
    // What is still waiting to go out is dropped, so closing never waits for a stuck line.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool applySettings();
    bool applyTimeouts();
    // Discards what waits in the driver in both directions.
    bool purge();
    // Bytes received and waiting; -1 when the query fails.
    int queued() const;
    EWait waitReceive(Deadline deadline);
    // Moves the whole buffer within the window; false when it did not complete (a line that
    // never drains). The count moved is reported.
    bool write(std::span<const std::uint8_t> data, std::size_t& moved);
    bool read(std::span<std::uint8_t> buffer, std::size_t& moved);

    // Why the open port's line failed (the USB serial cable pulled out: "Порт /dev/ttyUSB0
    // отключён"); "" when it has not. Told until the next open.
    const std::string& failure() const { return failure_; }

    const std::vector<std::string>& portList() const { return portList_; }
    std::chrono::milliseconds window() const { return window_; }
    void setWindow(std::chrono::milliseconds window) { window_ = window; }

  private:
    // Notes the first failure of the line (an errno value); false.
    bool fail(int error);

    int fd_ = -1;
    std::string name_;
    std::string failure_;
    std::vector<std::string> portList_;
    std::chrono::milliseconds window_{3000};
};
