#include "U_virtualirda.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "U_fileio.h"
#include "U_pollwait.h"

namespace fs = std::filesystem;

fs::path DefaultIrdaDirectory() {
    if (const char* dir = std::getenv("TESSEL_IRDA_DIR"); dir && *dir) return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return fs::path(runtime) / "tessel-irda";
    return fs::path("/tmp") / ("tessel-irda-" + std::to_string(::getuid()));
}

std::string PrepareIrdaFolder(const fs::path& folder) {
    return fileio::PreparePrivateFolder(folder, "Папка инфракрасного окружения " + folder.string());
}

std::string VirtualDeviceFileName(std::uint32_t id, const std::string& name) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", id);
    return std::string(hex) + "-" + name;
}

namespace {

// Nothing when the path is too long for a socket address.
std::optional<sockaddr_un> SocketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// False for a socket file that nothing listens on any more: a radio that left without removing
// it. A radio too busy to take a connection (EAGAIN) is still in range.
bool Listening(const fs::path& socketFile) {
    const auto address = SocketAddress(socketFile.string());
    if (!address) return false;
    const int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) return true;  // cannot tell: keep the device
    const int rc = ::connect(probe, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    const bool listening = rc == 0 || errno == EAGAIN;
    ::close(probe);
    return listening;
}

bool ParseDeviceFileName(const std::string& file, std::uint32_t& id, std::string& name) {
    if (file.size() < 9 || file[8] != '-') return false;
    id = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = file[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        id = id << 4 | static_cast<std::uint32_t>(digit);
    }
    name = file.substr(9);
    return true;
}

}  // namespace

std::vector<SVirtualDevice> ListVirtualDevices(const fs::path& directory) {
    struct Entry {
        SVirtualDevice device;
        timespec changed;
    };
    std::vector<Entry> entries;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(directory, ec)) {
        struct stat st {};
        if (::stat(item.path().c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
        std::uint32_t id;
        std::string name;
        if (!ParseDeviceFileName(item.path().filename().string(), id, name)) continue;
        SVirtualDevice device;
        for (int i = 0; i < 4; ++i) device.id[i] = static_cast<std::uint8_t>(id >> (8 * i));
        device.name = name;
        device.path = item.path();
        entries.push_back({device, st.st_mtim});
    }
    // The radio that came into range first is reported first.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.changed.tv_sec != b.changed.tv_sec) return a.changed.tv_sec < b.changed.tv_sec;
        if (a.changed.tv_nsec != b.changed.tv_nsec) return a.changed.tv_nsec < b.changed.tv_nsec;
        return a.device.path < b.device.path;
    });
    std::vector<SVirtualDevice> devices;
    for (auto& entry : entries) devices.push_back(std::move(entry.device));
    return devices;
}

CVirtualIrda::CVirtualIrda(fs::path directory) : directory_(std::move(directory)) {}

CVirtualIrda::~CVirtualIrda() {
    Close();
}

bool CVirtualIrda::Open() {
    if (fd_ >= 0) return true;
    // Non-blocking throughout: every wait is a poll with a deadline.
    fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    return fd_ >= 0;
}

void CVirtualIrda::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool CVirtualIrda::QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) {
    if (fd_ < 0) return false;
    // Socket files of radios that are gone would take the places of live radios in the five the
    // search tries.
    lastSeen_ = ListVirtualDevices(directory_);
    std::erase_if(lastSeen_, [](const SVirtualDevice& d) { return !Listening(d.path); });
    const std::size_t records = SIrdaDeviceList::Start(answer, lastSeen_.size());
    for (std::size_t r = 0; r < records; ++r)
        SIrdaDeviceList::PutRecord(answer, r, lastSeen_[r].id, lastSeen_[r].name);
    return true;
}

const SVirtualDevice* CVirtualIrda::Find(const std::array<std::uint8_t, 4>& id) {
    // A radio may have left the neighbourhood since the enumeration.
    lastSeen_ = ListVirtualDevices(directory_);
    const auto it = std::find_if(lastSeen_.begin(), lastSeen_.end(),
                                 [&id](const SVirtualDevice& d) { return d.id == id; });
    return it == lastSeen_.end() ? nullptr : &*it;
}

bool CVirtualIrda::QueryService(const SIrdaAddress& address, const std::string& attribute) {
    // Every virtual radio offers one service, with its selector as an integer attribute.
    if (fd_ < 0) return false;
    if (address.ServiceName() != kIrdaServiceName) return false;
    if (attribute != "IrDA:TinyTP:LsapSel" && attribute != "IrDA:IrLMP:LsapSel") return false;
    return Find(address.DeviceId()) != nullptr;
}

bool CVirtualIrda::SetTinyTP(bool /*on*/) {
    return fd_ >= 0;
}

bool CVirtualIrda::Connect(const SIrdaAddress& address, Deadline deadline) {
    if (fd_ < 0 || address.ServiceName() != kIrdaServiceName) return false;
    const SVirtualDevice* device = Find(address.DeviceId());
    if (!device) return false;
    const auto target = SocketAddress(device->path.string());
    if (!target) return false;
    // A radio that takes no connections (a stopped process) has a full backlog: the connection
    // is refused for now with EAGAIN, and tried again until the deadline.
    constexpr auto kRetryPause = std::chrono::milliseconds(10);
    for (;;) {
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&*target), sizeof *target) == 0)
            return true;
        if (errno == EINTR) continue;
        const auto now = LinkClock::now();
        if (errno != EAGAIN || now >= deadline) return false;
        std::this_thread::sleep_for(std::min<LinkClock::duration>(kRetryPause, deadline - now));
    }
}

void CVirtualIrda::DiscardPending() {
    if (fd_ < 0) return;
    std::array<std::uint8_t, 512> sink{};
    while (::recv(fd_, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
    }
}

long CVirtualIrda::Send(std::span<const std::uint8_t> data, Deadline deadline) {
    if (fd_ < 0) return -1;
    if (WaitFor(fd_, POLLOUT, deadline) != EWait::Ready) return -1;
    ssize_t n;
    do {
        n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<long>(n);
}

long CVirtualIrda::Receive(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (fd_ < 0) return -1;
    switch (WaitFor(fd_, POLLIN, deadline)) {
        case EWait::Ready:
            break;
        case EWait::TimedOut:
            return -1;
        case EWait::Failed:
            return 0;  // the radio hung up
    }
    ssize_t n;
    do {
        // A record longer than the buffer loses its tail, as a datagram does.
        n = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<long>(n);
}
