#include "U_simserver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "U_frame.h"
#include "U_irdasocket.h"
#include "U_pollwait.h"
#include "U_virtualirda.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until fd is readable or the stop signal fires; false when stopped or on an error.
bool WaitReadable(int fd, const CStopSignal& stop) {
    for (;;) {
        std::array<pollfd, 2> fds{{{fd, POLLIN, 0}, {stop.Fd(), POLLIN, 0}}};
        const int n = ::poll(fds.data(), fds.size(), -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || fds[1].revents) return false;
        if (fds[0].revents) return true;
    }
}

// Waits until fd takes more bytes; false when the deadline passes first, when stopped, or when
// the line fails.
bool WaitWritable(int fd, Clock::time_point deadline, const CStopSignal& stop) {
    for (;;) {
        if (Clock::now() >= deadline) return false;
        std::array<pollfd, 2> fds{{{fd, POLLOUT, 0}, {stop.Fd(), POLLIN, 0}}};
        const int n = ::poll(fds.data(), fds.size(), MillisecondsUntil(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || fds[1].revents) return false;
        return (fds[0].revents & POLLOUT) != 0;
    }
}

// One record to the program; a program that stops reading gets no more after the deadline.
bool SendRecord(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline,
                const CStopSignal& stop) {
    for (;;) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) return n == static_cast<ssize_t>(bytes.size());
        if (errno == EINTR) continue;
        if (errno != EAGAIN || !WaitWritable(fd, deadline, stop)) return false;
    }
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

CStopSignal::CStopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
}

CStopSignal::~CStopSignal() {
    ::close(fd_);
}

void CStopSignal::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

bool WriteWithin(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline,
                 const CStopSignal& stop) {
    int error = 0;
    return WriteAll(
        fd, bytes, [&] { return WaitWritable(fd, deadline, stop); }, error);
}

bool CStopSignal::SleepFor(std::chrono::nanoseconds duration) const {
    const auto until = Clock::now() + duration;
    for (;;) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        pollfd p{fd_, POLLIN, 0};
        timespec wait{};
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        wait.tv_sec = static_cast<time_t>(ns / 1000000000);
        wait.tv_nsec = static_cast<long>(ns % 1000000000);
        const int n = ::ppoll(&p, 1, &wait, nullptr);
        if (n > 0) return false;
        if (n < 0 && errno != EINTR) return false;
    }
}

// ---- infrared ----

CIrdaRadioServer::CIrdaRadioServer(CVirtualRadio& radio, const std::filesystem::path& directory)
    : radio_(radio) {
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    path_ = directory / VirtualDeviceFileName(radio.DeviceId(), Trimmed(radio.ReportedModel()));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = path_.string();
    if (path.size() >= sizeof address.sun_path)
        throw std::runtime_error("socket path too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    // A socket file left by a radio that was killed is taken over; a live one is not.
    if (std::filesystem::exists(path_)) {
        const int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        const bool live =
            ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(probe);
        if (live) {
            ::close(listener_);
            throw std::runtime_error("a radio with this device identifier is already in range: " +
                                     path);
        }
        std::filesystem::remove(path_, ec);
    }
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(listener_);
        throw std::runtime_error("cannot listen on " + path + ": " + reason);
    }
    thread_ = std::thread([this] { Run(); });
}

CIrdaRadioServer::~CIrdaRadioServer() {
    stop_.Stop();
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

void CIrdaRadioServer::Run() {
    while (WaitReadable(listener_, stop_)) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Serve(connection);
        ::close(connection);
        radio_.ConnectionClosed();
        if (!radio_.InRange()) {
            // The last radio of a fleet has gone: nothing answers here any more.
            std::error_code ec;
            std::filesystem::remove(path_, ec);
            break;
        }
    }
}

void CIrdaRadioServer::Serve(int connection) {
    radio_.ConnectionOpened();
    enum class Mode { Unknown, Stream, Packet } mode = Mode::Unknown;
    std::vector<std::uint8_t> record(8192);
    std::vector<std::uint8_t> request;
    while (WaitReadable(connection, stop_)) {
        const ssize_t n = ::recv(connection, record.data(), record.size(), 0);
        if (n <= 0) return;  // the program closed the link
        const auto bytes = std::span(record).first(static_cast<std::size_t>(n));
        if (mode == Mode::Unknown)
            mode = (bytes[0] == kIrdaLastPacket || bytes[0] == kIrdaMoreFollows) ? Mode::Packet
                                                                                 : Mode::Stream;
        if (mode == Mode::Stream) {
            request.assign(bytes.begin(), bytes.end());
        } else {
            if (bytes[0] != kIrdaLastPacket && bytes[0] != kIrdaMoreFollows) {
                request.clear();  // not a packet of this link: the message is lost
                continue;
            }
            request.insert(request.end(), bytes.begin() + 1, bytes.end());
            if (bytes[0] == kIrdaMoreFollows) continue;
        }
        const SReply reply = radio_.Handle(request, ELink::Irda);
        request.clear();
        if (reply.silent) continue;
        if (reply.delay.count() > 0 && !stop_.SleepFor(reply.delay)) return;
        // A program that no longer reads loses the connection, as a radio carried away would.
        const auto deadline = Clock::now() + kStalledLineLimit;
        if (mode == Mode::Stream) {
            if (!SendRecord(connection, reply.payload, deadline, stop_)) return;
        } else {
            std::size_t sent = 0;
            do {
                const std::size_t left = reply.payload.size() - sent;
                const std::size_t chunk = std::min(left, kIrdaPacketSize - 1);
                std::vector<std::uint8_t> packet{left > chunk ? kIrdaMoreFollows : kIrdaLastPacket};
                packet.insert(packet.end(),
                              reply.payload.begin() + static_cast<std::ptrdiff_t>(sent),
                              reply.payload.begin() + static_cast<std::ptrdiff_t>(sent + chunk));
                if (!SendRecord(connection, packet, deadline, stop_)) return;
                sent += chunk;
            } while (sent < reply.payload.size());
        }
        if (reply.dropAfter) return;
    }
}

SPseudoTerminal OpenRawPseudoTerminal() {
    SPseudoTerminal line;
    line.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line.master < 0 || ::grantpt(line.master) != 0 || ::unlockpt(line.master) != 0 ||
        ::fcntl(line.master, F_SETFL, ::fcntl(line.master, F_GETFL) | O_NONBLOCK) != 0) {
        const std::string reason = std::strerror(errno);
        if (line.master >= 0) ::close(line.master);
        throw std::runtime_error("no pseudo-terminal: " + reason);
    }
    std::array<char, 128> name{};
    if (::ptsname_r(line.master, name.data(), name.size()) != 0) {
        ::close(line.master);
        throw std::runtime_error("no pseudo-terminal name");
    }
    line.slavePath = name.data();
    line.slaveHold = ::open(line.slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line.slaveHold >= 0) {
        // Raw from the start, so nothing the radio sends is echoed or translated before the
        // program sets its own line settings.
        termios settings{};
        if (::tcgetattr(line.slaveHold, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(line.slaveHold, TCSANOW, &settings);
        }
    }
    return line;
}

CPseudoTerminalServer::CPseudoTerminalServer(CVirtualRadio& radio)
    : radio_(radio), line_(OpenRawPseudoTerminal()) {}

CPseudoTerminalServer::~CPseudoTerminalServer() {
    StopServing();
    if (line_.slaveHold >= 0) ::close(line_.slaveHold);
    ::close(line_.master);
}

void CPseudoTerminalServer::StartServing(std::function<void()> serve) {
    thread_ = std::thread(std::move(serve));
}

void CPseudoTerminalServer::StopServing() {
    stop_.Stop();
    if (thread_.joinable()) thread_.join();
}

// ---- serial ----

CSerialRadioServer::CSerialRadioServer(CVirtualRadio& radio) : CPseudoTerminalServer(radio) {
    StartServing([this] { Run(); });
}

CSerialRadioServer::~CSerialRadioServer() {
    StopServing();
}

std::chrono::nanoseconds CSerialRadioServer::WireTime(std::size_t bytes) const {
    const int baud = radio_.Options().baud;
    if (baud <= 0) return std::chrono::nanoseconds::zero();
    // Start bit, eight data bits, stop bit.
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * 10 * 1000000000LL / baud);
}

bool CSerialRadioServer::WritePaced(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kChunk = 16;
    const auto start = Clock::now();
    // A reply that the line has not taken by the end of the program's window is given up: the
    // program that asked has stopped listening, and the radio must hear the next one.
    const auto deadline = start + WireTime(bytes.size()) + kStalledLineLimit;
    for (std::size_t written = 0; written < bytes.size();) {
        const std::size_t chunk = std::min(kChunk, bytes.size() - written);
        // A byte is at the far end only once the line has carried it.
        if (!stop_.SleepFor(start + WireTime(written + chunk) - Clock::now())) return false;
        if (!WriteWithin(Master(), bytes.subspan(written, chunk), deadline, stop_)) return false;
        written += chunk;
    }
    return true;
}

void CSerialRadioServer::Answer(std::span<const std::uint8_t> request,
                                std::chrono::steady_clock::time_point requestStart,
                                std::size_t requestWireBytes) {
    if (dropped_) return;  // the cable is out
    const SReply reply = radio_.Handle(request, ELink::Serial);
    if (reply.silent) return;
    if (!stop_.SleepFor(requestStart + WireTime(requestWireBytes) - Clock::now())) return;
    if (reply.delay.count() > 0 && !stop_.SleepFor(reply.delay)) return;
    const std::uint16_t check = hdlc::FrameCheck(reply.payload);
    const auto bytes = frame::Build(reply.payload, reply.badCheck ? check ^ 0x5A5A : check);
    WritePaced(bytes);
    if (reply.dropAfter) dropped_ = true;
}

void CSerialRadioServer::Run() {
    frame::CReceiver receiver(8192);
    std::array<std::uint8_t, 4096> chunk{};
    auto frameStart = Clock::now();
    std::size_t frameBytes = 0;
    while (WaitReadable(Master(), stop_)) {
        const ssize_t n = ::read(Master(), chunk.data(), chunk.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            // Nobody holds the line open: wait a moment instead of spinning on the hang-up.
            if (!stop_.SleepFor(std::chrono::milliseconds(5))) return;
            continue;
        }
        const auto arrived = Clock::now();
        for (ssize_t i = 0; i < n; ++i) {
            if (chunk[i] == frame::kStart) {
                frameStart = arrived;
                frameBytes = 0;
            }
            ++frameBytes;
            switch (receiver.Feed(chunk[i])) {
                case frame::CReceiver::Result::More:
                    break;
                case frame::CReceiver::Result::Overflow:
                    receiver.Reset();
                    break;
                case frame::CReceiver::Result::Frame: {
                    const auto body = receiver.Body();
                    const std::vector<std::uint8_t> payload(body.begin(), body.end() - 2);
                    Answer(payload, frameStart, frameBytes);
                    receiver.Reset();
                    break;
                }
            }
        }
    }
}

}  // namespace sim
