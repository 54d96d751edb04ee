#include "U_kernelirda.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "U_kernelirdaabi.h"
#include "U_pollwait.h"

namespace {

constexpr int kSocketType = SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC;

std::uint32_t DeviceOf(const SIrdaAddress& address) {
    // The device number travels as the four bytes the discovery log gave for it.
    const std::array<std::uint8_t, 4> id = address.DeviceId();
    std::uint32_t device = 0;
    std::memcpy(&device, id.data(), sizeof device);
    return device;
}

template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    const std::size_t n = std::min(text.size(), N - 1);  // always zero-terminated
    std::memcpy(field, text.data(), n);
}

// One kernel log entry as the program's device record: identifier, name, hints, character set.
void WriteRecord(const kirda::SDeviceInfo& info, std::span<std::uint8_t> record) {
    constexpr std::size_t kName = 4;
    constexpr std::size_t kHints = kName + SIrdaDeviceList::kNameSize;
    constexpr std::size_t kCharset = kHints + 2;
    std::memcpy(record.data(), &info.device, kName);
    std::memcpy(record.data() + kName, info.name, SIrdaDeviceList::kNameSize);
    record[kHints] = info.hints[0];
    record[kHints + 1] = info.hints[1];
    record[kCharset] = info.charset;
}

}  // namespace

bool KernelIrdaAvailable(IKernelCalls& calls) {
    const int fd = calls.Socket(kirda::kAddressFamily, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    calls.Close(fd);
    return true;
}

bool KernelIrdaAvailable() {
    return KernelIrdaAvailable(*MakeSystemKernelCalls());
}

std::unique_ptr<IIrdaPlatform> MakeKernelIrdaPlatform() {
    return std::make_unique<CKernelIrda>(MakeSystemKernelCalls());
}

CKernelIrda::CKernelIrda(std::unique_ptr<IKernelCalls> calls) : calls_(std::move(calls)) {}

CKernelIrda::~CKernelIrda() {
    Close();
}

bool CKernelIrda::Open() {
    if (fd_ >= 0) return true;
    const int fd = calls_->Socket(kirda::kAddressFamily, kSocketType, 0);
    fd_ = fd < 0 ? -1 : fd;
    return fd_ >= 0;
}

void CKernelIrda::Close() {
    if (fd_ >= 0) calls_->Close(fd_);
    fd_ = -1;
}

void CKernelIrda::Renew() {
    Close();
    Open();
}

int CKernelIrda::ReadDiscoveryLog(std::span<std::uint8_t> buffer) {
    auto length = static_cast<socklen_t>(buffer.size());
    const int rc = calls_->GetSockOpt(fd_, kirda::kOptionLevel, kirda::kEnumDevices, buffer.data(),
                                      &length, static_cast<int>(kQuickCall.count()));
    if (rc < 0) return rc;
    return static_cast<int>(std::min<socklen_t>(length, static_cast<socklen_t>(buffer.size())));
}

std::vector<kirda::SDeviceInfo> ParseDiscoveryFile(std::string_view text) {
    std::vector<kirda::SDeviceInfo> devices;
    constexpr std::string_view kName = "nickname: ";
    constexpr std::string_view kHint = ", hint: 0x";
    constexpr std::string_view kSaddr = ", saddr: 0x";
    constexpr std::string_view kDaddr = ", daddr: 0x";
    auto hex = [](std::string_view field, std::size_t digits, std::uint32_t& value) {
        if (field.size() < digits) return false;
        const auto [end, ec] = std::from_chars(field.data(), field.data() + digits, value, 16);
        return ec == std::errc() && end == field.data() + digits;
    };
    while (!text.empty()) {
        const std::size_t eol = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(std::min(eol + 1, text.size()));
        if (!line.starts_with(kName)) continue;
        line.remove_prefix(kName.size());
        // The nickname is free text: the fields after it are found from the end.
        const std::size_t hint = line.rfind(kHint);
        if (hint == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, hint);
        std::string_view rest = line.substr(hint + kHint.size());
        std::uint32_t hints = 0, device = 0, ignored = 0;
        if (!hex(rest, 4, hints)) continue;
        rest.remove_prefix(4);
        if (!rest.starts_with(kSaddr) || !hex(rest.substr(kSaddr.size()), 8, ignored)) continue;
        rest.remove_prefix(kSaddr.size() + 8);
        if (!rest.starts_with(kDaddr) || !hex(rest.substr(kDaddr.size()), 8, device)) continue;
        kirda::SDeviceInfo info{};
        info.device = device;
        std::memcpy(info.name, name.data(), std::min(name.size(), sizeof info.name - 1));
        info.hints[0] = static_cast<std::uint8_t>(hints >> 8);
        info.hints[1] = static_cast<std::uint8_t>(hints & 0xFF);
        devices.push_back(info);
    }
    return devices;
}

bool CKernelIrda::ReadDevices(std::vector<kirda::SDeviceInfo>& devices, std::size_t& count) {
    std::array<std::uint8_t, kirda::kDeviceListHeader + kMaxDevices * sizeof(kirda::SDeviceInfo)>
        log{};
    devices.clear();
    count = 0;
    const int got = ReadDiscoveryLog(log);
    if (got >= static_cast<int>(kirda::kDeviceListHeader)) {
        std::uint32_t reported = 0;
        std::memcpy(&reported, log.data(), sizeof reported);
        // Only whole entries the kernel copied are read; the count it reports can be larger.
        const std::size_t copied =
            (static_cast<std::size_t>(got) - kirda::kDeviceListHeader) / sizeof(kirda::SDeviceInfo);
        const std::size_t records = std::min<std::size_t>({reported, copied, kMaxDevices});
        count = records < std::min<std::size_t>(reported, kMaxDevices) ? records : reported;
        for (std::size_t r = 0; r < records; ++r) {
            kirda::SDeviceInfo info{};
            std::memcpy(&info, log.data() + kirda::kDeviceListHeader + r * sizeof info,
                        sizeof info);
            devices.push_back(info);
        }
    } else if (got != -EAGAIN) {
        return false;
    }
    // The enumeration lists only devices whose hints meet a mask, and no mask lets through a
    // device without hints; the discovery file lists every device the kernel discovered.
    std::array<char, 8192> file{};
    const long read = calls_->ReadFile(kirda::kDiscoveryFile, file.data(), file.size());
    if (read <= 0) return true;
    for (const kirda::SDeviceInfo& info :
         ParseDiscoveryFile(std::string_view(file.data(), static_cast<std::size_t>(read)))) {
        const bool known = std::any_of(devices.begin(), devices.end(),
                                       [&](const auto& d) { return d.device == info.device; });
        if (known) continue;
        ++count;
        if (devices.size() < kMaxDevices) devices.push_back(info);
    }
    return true;
}

bool CKernelIrda::QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) {
    if (fd_ < 0) return false;
    std::vector<kirda::SDeviceInfo> devices;
    std::size_t count = 0;
    if (!ReadDevices(devices, count)) return false;
    // Nobody in the log: the kernel discovers in the background (an enumeration starts a
    // discovery where it runs none), so give a radio just brought into range one discovery
    // period to show up. The wait wakes early only for a device whose hints meet the mask, so
    // it runs in slices with a look at the log after each.
    for (auto waited = std::chrono::milliseconds::zero();
         devices.empty() && waited < kDiscoveryWait; waited += kWaitSlice) {
        int waitMs = static_cast<int>(kWaitSlice.count());
        socklen_t length = sizeof waitMs;
        calls_->GetSockOpt(fd_, kirda::kOptionLevel, kirda::kWaitDevice, &waitMs, &length,
                           static_cast<int>((kWaitSlice + kQuickCall).count()));
        if (!ReadDevices(devices, count)) return false;
    }
    std::fill(answer.begin(), answer.end(), 0);
    for (int i = 0; i < 4; ++i) answer[i] = static_cast<std::uint8_t>(count >> (8 * i));
    for (std::size_t r = 0; r < devices.size() && r < SIrdaDeviceList::kMaxRecords; ++r)
        WriteRecord(devices[r],
                    answer.subspan(SIrdaDeviceList::kCountSize + r * SIrdaDeviceList::kRecordSize,
                                   SIrdaDeviceList::kRecordSize));
    return true;
}

bool CKernelIrda::QueryService(const SIrdaAddress& address, const std::string& attribute) {
    if (fd_ < 0) return false;
    kirda::SIasRecord query{};
    CopyText(query.className, address.ServiceName());
    CopyText(query.attributeName, attribute);
    query.device = DeviceOf(address);
    socklen_t length = sizeof query;
    const int rc = calls_->GetSockOpt(fd_, kirda::kOptionLevel, kirda::kIasQuery, &query, &length,
                                      static_cast<int>(kQueryLimit.count()));
    // The kernel keeps an interrupted query pending and refuses the next one on this socket.
    if (rc == -ETIMEDOUT) Renew();
    if (rc < 0) return false;
    return query.type == kirda::kIasInteger;
}

bool CKernelIrda::SetTinyTP(bool on) {
    // The kernel's connections always run TinyTP; it cannot be switched off.
    return fd_ >= 0 && on;
}

CKernelIrda::EReady CKernelIrda::WaitFor(short events, Deadline deadline) {
    for (;;) {
        short revents = 0;
        const int rc = calls_->Poll(fd_, events, MillisecondsUntil(deadline), revents);
        if (rc == -EINTR) continue;
        if (rc < 0) return EReady::Failed;
        if (rc == 0) return EReady::TimedOut;
        if (revents & events) return EReady::Ready;
        if (revents & POLLHUP) return EReady::HungUp;
        return EReady::Failed;
    }
}

bool CKernelIrda::ConnectionMade(Deadline deadline) {
    if (WaitFor(POLLOUT, deadline) != EReady::Ready) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return calls_->GetSockOpt(fd_, SOL_SOCKET, SO_ERROR, &error, &length,
                              static_cast<int>(kQuickCall.count())) == 0 &&
           error == 0;
}

bool CKernelIrda::Connect(const SIrdaAddress& address, Deadline deadline) {
    if (fd_ < 0) return false;
    kirda::SSocketAddress target{};
    target.family = kirda::kAddressFamily;
    target.lsapSelector = kirda::kLsapAny;
    target.device = DeviceOf(address);
    CopyText(target.serviceName, address.ServiceName());
    // The kernel asks the device's information base before it returns, without a limit.
    const int rc = calls_->Connect(fd_, &target, sizeof target, MillisecondsUntil(deadline));
    const bool made = rc == 0 || ((rc == -EINPROGRESS || rc == -EINTR) && ConnectionMade(deadline));
    if (!made) Renew();
    return made;
}

void CKernelIrda::DiscardPending() {
    if (fd_ < 0) return;
    std::array<std::uint8_t, 512> sink{};
    while (calls_->Recv(fd_, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
    }
}

long CKernelIrda::Send(std::span<const std::uint8_t> data, Deadline deadline) {
    if (fd_ < 0) return -1;
    for (;;) {
        if (WaitFor(POLLOUT, deadline) != EReady::Ready) return -1;
        const long n = calls_->Send(fd_, data.data(), data.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) return n;
        if (n != -EAGAIN && n != -EINTR) return -1;
    }
}

long CKernelIrda::Receive(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (fd_ < 0) return -1;
    for (;;) {
        switch (WaitFor(POLLIN, deadline)) {
            case EReady::Ready:
                break;
            case EReady::HungUp:
                return 0;  // the radio closed the link
            case EReady::TimedOut:
            case EReady::Failed:
                return -1;
        }
        const long n = calls_->Recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n >= 0) return n;
        if (n != -EAGAIN && n != -EINTR) return -1;
    }
}
