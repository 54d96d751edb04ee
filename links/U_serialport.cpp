#include "U_serialport.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace {

// ttyS2 before ttyS10: the number after the prefix decides.
bool PortOrder(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
        const long number = digits < s.size() ? std::strtol(s.c_str() + digits, nullptr, 10) : -1;
        return std::pair(s.substr(0, digits), number);
    };
    return split(a) < split(b);
}

bool PortOpens(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // A ttyS node without a UART opens but cannot report its lines.
    termios settings{};
    const bool ok = ::tcgetattr(fd, &settings) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

std::vector<std::string> SerialPortsFromList(const std::string& colonSeparated) {
    std::vector<std::string> ports;
    std::size_t start = 0;
    while (start <= colonSeparated.size() && ports.size() < kMaxSerialPorts) {
        const std::size_t end = std::min(colonSeparated.find(':', start), colonSeparated.size());
        if (end > start) ports.push_back(colonSeparated.substr(start, end - start));
        start = end + 1;
    }
    return ports;
}

std::vector<std::string> EnumerateSerialPorts() {
    std::vector<std::string> ports;
    if (const char* list = std::getenv("TESSEL_SERIAL_PORTS")) {
        ports = SerialPortsFromList(list);
    } else {
        for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
            std::vector<std::string> found;
            std::error_code ec;
            for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
                const std::string name = entry.path().filename().string();
                if (name.rfind(prefix, 0) == 0 && name.size() > std::string(prefix).size() &&
                    std::isdigit(static_cast<unsigned char>(name[std::string(prefix).size()])))
                    found.push_back(entry.path().string());
            }
            std::sort(found.begin(), found.end(), PortOrder);
            for (const std::string& path : found) {
                if (ports.size() >= kMaxSerialPorts) break;
                if (PortOpens(path)) ports.push_back(path);
            }
        }
    }
    if (ports.empty()) ports.push_back(kFallbackSerialPort);
    return ports;
}

SerialPort::SerialPort() : SerialPort(EnumerateSerialPorts()) {}

SerialPort::SerialPort(std::vector<std::string> portList) : portList_(std::move(portList)) {}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open(const std::string& name) {
    close();
    name_ = name;
    failure_.clear();
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    if (::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void SerialPort::close() {
    if (fd_ < 0) return;
    ::tcflush(fd_, TCOFLUSH);
    ::ioctl(fd_, TIOCNXCL);  // the next program may have the port
    ::close(fd_);
    fd_ = -1;
}

bool SerialPort::applySettings() {
    if (fd_ < 0) return false;
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) return false;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    const bool ok = ::tcsetattr(fd_, TCSANOW, &settings) == 0;
    // The radio takes raised lines as a request of its own; keep them off. A port without
    // modem lines (a pseudo-terminal) refuses this, which is harmless.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &lines);
    return ok;
}

bool SerialPort::applyTimeouts() {
    // Reads return what is there at once; waiting is done with poll.
    return fd_ >= 0;
}

bool SerialPort::purge() {
    return fd_ >= 0 && ::tcflush(fd_, TCIOFLUSH) == 0;
}

int SerialPort::queued() const {
    if (fd_ < 0) return -1;
    int count = 0;
    return ::ioctl(fd_, FIONREAD, &count) == 0 ? count : -1;
}

bool SerialPort::fail(int error) {
    // The first failure is the cause; what follows from it says no more.
    if (failure_.empty()) failure_ = LineFailureText("Порт " + name_, error);
    return false;
}

EWait SerialPort::waitReceive(Deadline deadline) {
    if (fd_ < 0 || !failure_.empty()) return EWait::Failed;
    // A hung-up line reads as readable: waiting on would only spin until the window ends.
    int error = 0;
    const EWait wait = WaitForLine(fd_, POLLIN, deadline, error);
    if (wait == EWait::Failed) fail(error);
    return wait;
}

bool SerialPort::write(std::span<const std::uint8_t> data, std::size_t& moved) {
    moved = 0;
    if (fd_ < 0) return false;
    // No flow control: the driver takes the bytes as fast as the line sends them, unless the
    // line is stuck.
    if (!failure_.empty()) return false;
    const Deadline deadline = LinkClock::now() + window_;
    while (moved < data.size()) {
        if (WaitFor(fd_, POLLOUT, deadline) != EWait::Ready) return false;
        const ssize_t n = ::write(fd_, data.data() + moved, data.size() - moved);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return fail(errno);
        }
        moved += static_cast<std::size_t>(n);
    }
    return true;
}

bool SerialPort::read(std::span<std::uint8_t> buffer, std::size_t& moved) {
    moved = 0;
    if (fd_ < 0) return false;
    while (moved < buffer.size()) {
        const ssize_t n = ::read(fd_, buffer.data() + moved, buffer.size() - moved);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return fail(errno);
        if (n <= 0) return false;
        moved += static_cast<std::size_t>(n);
    }
    return true;
}
