// A radio behind the Linux IrDA stack: listens on the kernel's IrDA sockets under the service
// name "Varnex" (the kernel then answers discovery, the information-base query and the TinyTP
// connect itself) and carries each request of a connection to a virtual radio in the virtual
// neighbourhood, and its reply back.
//
//   tessel-irda-relay RADIO_SOCKET [SERVICE]
//
// The kernel's stream socket keeps no message boundaries, while the virtual radio takes one
// request per record, so the relay cuts the stream into requests by the commands' lengths.
// Prints "listening" once the service is registered; logs one line per request on stderr.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "U_kernelirdaabi.h"

namespace {

constexpr int kIdleMs = 10000;       // a connection that says nothing this long is closed
constexpr int kClockRestMs = 200;    // how long a lone 0x01 may wait for the clock's six bytes
constexpr int kRadioReplyMs = 5000;  // the virtual radio's longest answer (its `late` fault)
constexpr std::size_t kRecordSize = 8192;

// Bytes a write request carries after its four-byte head, by segment: the headers of the banked
// models (512, 256) and Larch's segment 512 hold 128 bytes, Larch's 119 holds 256, every other
// segment 512.
std::size_t SegmentSize(unsigned segment) {
    switch (segment) {
        case 512:
        case 256:
            return 128;
        case 119:
            return 256;
        default:
            return 512;
    }
}

// The length of the request at the start of `stream`, or nothing while it is incomplete.
// `settled`: no more bytes came for a while, so a lone 0x01 is an identification.
std::optional<std::size_t> RequestLength(const std::vector<std::uint8_t>& stream, bool settled) {
    if (stream.empty()) return std::nullopt;
    std::size_t length = stream.size();  // an unknown command: pass on what came
    switch (stream[0]) {
        case 0x01:
            if (stream.size() >= 7) return 7;
            return settled && stream.size() == 1 ? std::optional<std::size_t>(1) : std::nullopt;
        case 0x05:
            return 1;
        case 0x02:
        case 0x04:
            length = 4;
            break;
        case 0x03:
            if (stream.size() < 4) return std::nullopt;
            length = 4 + SegmentSize(stream[2] | (stream[3] << 8));
            break;
        default:
            break;
    }
    if (stream.size() < length) return std::nullopt;
    return length;
}

bool WaitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int rc = ::poll(&p, 1, ms);
        if (rc < 0 && errno == EINTR) continue;
        return rc > 0;
    }
}

bool SendAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int ConnectRadio(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    std::fprintf(stderr, "relay: cannot reach the radio at %s: %s\n", path.c_str(),
                 std::strerror(errno));
    if (fd >= 0) ::close(fd);
    return -1;
}

// One request to the radio and its reply (if any) back; false when either side is gone.
bool Relay(int infrared, int radio, const std::vector<std::uint8_t>& request) {
    std::fprintf(stderr, "relay: request 0x%02X, %zu bytes", request[0], request.size());
    if (::send(radio, request.data(), request.size(), MSG_NOSIGNAL) < 0) return false;
    if (!WaitReadable(radio, kRadioReplyMs)) {
        std::fprintf(stderr, ", no reply\n");
        return true;  // the radio ignores it (a silent fault, an unknown command)
    }
    std::vector<std::uint8_t> reply(kRecordSize);
    const ssize_t n = ::recv(radio, reply.data(), reply.size(), 0);
    if (n <= 0) {
        std::fprintf(stderr, ", the radio closed the link\n");
        return false;
    }
    std::fprintf(stderr, ", reply 0x%02X, %zd bytes\n", reply[0], n);
    return SendAll(infrared, reply.data(), static_cast<std::size_t>(n));
}

void Serve(int infrared, const std::string& radioPath) {
    const int radio = ConnectRadio(radioPath);
    if (radio < 0) return;
    std::vector<std::uint8_t> stream;
    std::array<std::uint8_t, kRecordSize> chunk{};
    for (;;) {
        const bool waitingForClock = stream.size() == 1 && stream[0] == 0x01;
        const bool readable = WaitReadable(infrared, waitingForClock ? kClockRestMs : kIdleMs);
        if (readable) {
            const ssize_t n = ::recv(infrared, chunk.data(), chunk.size(), 0);
            if (n <= 0) break;  // the primary closed the connection
            stream.insert(stream.end(), chunk.begin(), chunk.begin() + n);
        } else if (!waitingForClock) {
            std::fprintf(stderr, "relay: the connection is idle, closing it\n");
            break;
        }
        bool alive = true;
        while (alive) {
            const auto length = RequestLength(stream, !readable);
            if (!length) break;
            const std::vector<std::uint8_t> request(stream.begin(), stream.begin() + *length);
            stream.erase(stream.begin(), stream.begin() + *length);
            alive = Relay(infrared, radio, request);
        }
        if (!alive) break;
    }
    ::close(radio);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tessel-irda-relay RADIO_SOCKET [SERVICE]\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const std::string radioPath = argv[1];
    const std::string service = argc > 2 ? argv[2] : "Varnex";

    const int listener = ::socket(kirda::kAddressFamily, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        std::fprintf(stderr, "relay: no IrDA sockets: %s\n", std::strerror(errno));
        return 1;
    }
    kirda::SSocketAddress address{};
    address.family = kirda::kAddressFamily;
    address.lsapSelector = kirda::kLsapAny;
    std::snprintf(address.serviceName, sizeof address.serviceName, "%s", service.c_str());
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0) {
        std::fprintf(stderr, "relay: cannot listen as %s: %s\n", service.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    for (;;) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "relay: accept: %s\n", std::strerror(errno));
            return 1;
        }
        std::fprintf(stderr, "relay: connected\n");
        Serve(connection, radioPath);
        ::close(connection);
        std::fprintf(stderr, "relay: disconnected\n");
    }
}
