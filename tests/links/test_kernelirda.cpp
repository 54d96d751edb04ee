// The kernel IrDA socket platform against a scripted kernel: the discovery log and its wait,
// the information-base query record, the connect address and its deadline, the refused packet
// mode, bounded transfers, and no socket left behind by any failure.

#include <gtest/gtest.h>
#include <poll.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "U_irdasocket.h"
#include "kirda/U_kernelirda.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr int kSolIrlmp = 266;
constexpr int kEnumDevices = 1;
constexpr int kIasQuery = 3;
constexpr int kWaitDevice = 11;
constexpr std::size_t kLogEntry = 36;  // saddr, daddr, info[22], charset, hints[2], padding

// One discovery-log entry as the kernel lays it out.
Bytes LogEntry(std::uint32_t device, const std::string& name, std::uint8_t hint0,
               std::uint8_t hint1, std::uint8_t charset) {
    Bytes entry(kLogEntry, 0);
    std::memcpy(entry.data() + 4, &device, 4);
    std::memcpy(entry.data() + 8, name.data(), name.size());
    entry[30] = charset;
    entry[31] = hint0;
    entry[32] = hint1;
    return entry;
}

// What the scripted kernel does and what it saw; the test keeps it after the platform took the
// calls object.
struct SKernel {
    int nextFd = 7;
    int socketResult = 0;  // a negated errno makes socket() fail
    std::set<int> open;

    std::deque<int> enumResults;  // per call: 0 gives the log, else the negated errno
    std::uint32_t reportedCount = 0;
    Bytes log;
    std::vector<int> waits;     // the wait of each IRLMP_WAITDEVICE, ms
    std::string discoveryFile;  // /proc/net/irda/discovery; empty: no such file

    int iasResult = 0;
    std::uint32_t iasType = 1;
    Bytes iasRecord;
    int iasLevel = 0, iasName = 0;

    int connectResult = 0;
    Bytes address;
    int pollResult = 1;
    short pollRevents = POLLOUT;
    std::vector<int> pollTimeouts;
    std::vector<int> callTimeouts;  // of every connect and getsockopt
    int soError = 0;

    std::deque<Bytes> incoming;
    long recvResult = 0;  // used when nothing is queued
    std::vector<Bytes> sent;
};

class CScriptedKernel final : public IKernelCalls {
  public:
    explicit CScriptedKernel(SKernel& k) : k_(k) {}

    int Socket(int domain, int, int) override {
        if (k_.socketResult < 0) return k_.socketResult;
        if (domain != 23) return -EAFNOSUPPORT;
        k_.open.insert(k_.nextFd);
        return k_.nextFd++;
    }
    int Connect(int, const void* address, socklen_t length, int timeoutMs) override {
        k_.callTimeouts.push_back(timeoutMs);
        const auto* p = static_cast<const std::uint8_t*>(address);
        k_.address.assign(p, p + length);
        return k_.connectResult;
    }
    int GetSockOpt(int, int level, int name, void* value, socklen_t* length,
                   int timeoutMs) override {
        k_.callTimeouts.push_back(timeoutMs);
        if (level == SOL_SOCKET && name == SO_ERROR) {
            std::memcpy(value, &k_.soError, sizeof(int));
            return 0;
        }
        if (level == kSolIrlmp && name == kWaitDevice) {
            int ms = 0;
            std::memcpy(&ms, value, sizeof(int));
            k_.waits.push_back(ms);
            return -EAGAIN;
        }
        if (level == kSolIrlmp && name == kEnumDevices) {
            const int rc = k_.enumResults.empty() ? 0 : k_.enumResults.front();
            if (!k_.enumResults.empty()) k_.enumResults.pop_front();
            if (rc < 0) return rc;
            Bytes answer(4);
            std::memcpy(answer.data(), &k_.reportedCount, 4);
            answer.insert(answer.end(), k_.log.begin(), k_.log.end());
            const std::size_t n = std::min<std::size_t>(answer.size(), *length);
            std::memcpy(value, answer.data(), n);
            *length = static_cast<socklen_t>(n);
            return 0;
        }
        k_.iasLevel = level;
        k_.iasName = name;
        auto* p = static_cast<std::uint8_t*>(value);
        k_.iasRecord.assign(p, p + *length);
        if (k_.iasResult < 0) return k_.iasResult;
        std::memcpy(p + 320, &k_.iasType, 4);
        return 0;
    }
    long Send(int, const void* data, std::size_t size, int) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        k_.sent.emplace_back(p, p + size);
        return static_cast<long>(size);
    }
    long Recv(int, void* buffer, std::size_t size, int) override {
        if (k_.incoming.empty()) return k_.recvResult;
        const Bytes record = k_.incoming.front();
        k_.incoming.pop_front();
        const std::size_t n = std::min(size, record.size());
        std::memcpy(buffer, record.data(), n);
        return static_cast<long>(n);
    }
    int Poll(int, short, int timeoutMs, short& revents) override {
        k_.pollTimeouts.push_back(timeoutMs);
        revents = k_.pollRevents;
        return k_.pollResult;
    }
    void Close(int fd) override { k_.open.erase(fd); }
    long ReadFile(const char* path, void* buffer, std::size_t size) override {
        if (k_.discoveryFile.empty() || std::string(path) != "/proc/net/irda/discovery")
            return -ENOENT;
        const std::size_t n = std::min(size, k_.discoveryFile.size());
        std::memcpy(buffer, k_.discoveryFile.data(), n);
        return static_cast<long>(n);
    }

  private:
    SKernel& k_;
};

class KernelIrda : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(platform_->Open()); }
    static SIrdaAddress Address(std::uint32_t device) {
        SIrdaAddress address = SIrdaAddress::ForService("Varnex");
        std::array<std::uint8_t, 4> id{};
        std::memcpy(id.data(), &device, 4);
        address.SetDeviceId(id);
        return address;
    }
    Bytes Devices() {
        std::array<std::uint8_t, SIrdaDeviceList::kBufferSize> answer{};
        answer.fill(0xEE);
        if (!platform_->QueryDevices(answer)) return {};
        return Bytes(answer.begin(), answer.end());
    }
    static std::uint32_t Count(const Bytes& answer) {
        return answer[0] | answer[1] << 8 | answer[2] << 16 |
               static_cast<std::uint32_t>(answer[3]) << 24;
    }

    SKernel k_;
    std::unique_ptr<CKernelIrda> platform_ =
        std::make_unique<CKernelIrda>(std::make_unique<CScriptedKernel>(k_));
};

TEST_F(KernelIrda, DiscoveryLogBecomesTheProgramsDeviceRecords) {
    k_.reportedCount = 2;
    const Bytes first = LogEntry(0x0A0B0C0D, "ALDER", 0x82, 0x04, 0x00);
    const Bytes second = LogEntry(0x11223344, "NAME-OF-22-CHARACTERS!", 0x00, 0x01, 0xFF);
    k_.log = first;
    k_.log.insert(k_.log.end(), second.begin(), second.end());

    const Bytes answer = Devices();
    ASSERT_FALSE(answer.empty());
    // Count, then 29-byte records: identifier, name (22), hint bytes, character set.
    const Bytes expectedFirst = {0x0D, 0x0C, 0x0B, 0x0A, 'A', 'L', 'D',  'E',  'R', 0,
                                 0,    0,    0,    0,    0,   0,   0,    0,    0,   0,
                                 0,    0,    0,    0,    0,   0,   0x82, 0x04, 0x00};
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 4), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(Bytes(answer.begin() + 4, answer.begin() + 33), expectedFirst);
    EXPECT_EQ(Bytes(answer.begin() + 33, answer.begin() + 37), (Bytes{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(std::string(answer.begin() + 37, answer.begin() + 59), "NAME-OF-22-CHARACTERS!");
    EXPECT_EQ(Bytes(answer.begin() + 59, answer.begin() + 62), (Bytes{0x00, 0x01, 0xFF}));
    EXPECT_EQ(answer[62], 0) << "the rest of the answer is cleared";
    EXPECT_TRUE(k_.waits.empty()) << "a filled log needs no wait";

    // The program's reading of the answer gets the same devices.
    SKernel k2 = k_;
    CIrDASocket socket(std::make_unique<CKernelIrda>(std::make_unique<CScriptedKernel>(k2)),
                       EIrdaMode::Stream);
    ASSERT_TRUE(socket.open());
    std::array<SIrdaDevice, 5> list{};
    EXPECT_EQ(socket.enumerate(list), 2);
    EXPECT_EQ(std::string(list[0].name.data()), "ALDER");
}

// The kernel answers EAGAIN while its discovery log is empty; the wait runs in slices with a
// look at the log after each, one discovery period in all.
TEST_F(KernelIrda, EmptyLogWaitsOneDiscoveryPeriodAndAsksAgain) {
    struct {
        std::deque<int> enums;
        bool ok;
        std::uint32_t count;
        std::size_t waits;
    } const cases[] = {
        {{-EAGAIN, -EAGAIN, -EAGAIN, -EAGAIN}, true, 0, 3},
        {{-EAGAIN, 0}, true, 1, 1},
        {{-EAGAIN, -EAGAIN, 0}, true, 1, 2},
        {{-EAGAIN, -EIO}, false, 0, 1},
        {{-EIO}, false, 0, 0},
    };
    for (const auto& c : cases) {
        SKernel k;
        k.enumResults = c.enums;
        k.reportedCount = 1;
        k.log = LogEntry(5, "ALDER", 0x02, 0, 0);
        CKernelIrda platform(std::make_unique<CScriptedKernel>(k));
        ASSERT_TRUE(platform.Open());
        std::array<std::uint8_t, SIrdaDeviceList::kBufferSize> answer{};
        EXPECT_EQ(platform.QueryDevices(answer), c.ok) << c.enums.size();
        EXPECT_EQ(k.waits, std::vector<int>(c.waits, 1000)) << c.enums.size();
        if (c.ok) {
            EXPECT_EQ(Count(Bytes(answer.begin(), answer.end())), c.count) << c.enums.size();
        }
    }
}

// The enumeration never lists a device whose hints miss the mask (hints 0x0000 miss every
// mask); the kernel's discovery file lists it.
TEST_F(KernelIrda, DevicesTheEnumerationHidesAreFoundInTheDiscoveryFile) {
    k_.enumResults = {-EAGAIN};
    k_.discoveryFile =
        "IrLMP: Discovery log:\n\n"
        "nickname: ALDER, hint: 0x0000, saddr: 0x11223344, daddr: 0x0a0b0c0d\n\n\n"
        "nickname: A, hint: 0x, saddr: 0x1, daddr: 0x2\n"  // not a whole entry
        "nickname: X, hint: 0x8420, saddr: 0x11223344, daddr: 0x00000005\n\n\n";
    Bytes answer = Devices();
    ASSERT_FALSE(answer.empty());
    EXPECT_TRUE(k_.waits.empty()) << "a device in the file needs no wait";
    EXPECT_EQ(Count(answer), 2u);
    EXPECT_EQ(Bytes(answer.begin() + 4, answer.begin() + 8), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(answer.data() + 8)), "ALDER");
    EXPECT_EQ(Bytes(answer.begin() + 30, answer.begin() + 33), (Bytes{0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(answer.begin() + 33, answer.begin() + 37), (Bytes{0x05, 0, 0, 0}));
    EXPECT_EQ(Bytes(answer.begin() + 59, answer.begin() + 61), (Bytes{0x84, 0x20}));

    // A device in both is listed once, as the enumeration has it.
    k_.reportedCount = 1;
    k_.log = LogEntry(5, "X", 0x84, 0x20, 0xFF);
    answer = Devices();
    EXPECT_EQ(Count(answer), 2u);
    EXPECT_EQ(answer[4 + 28], 0xFF) << "the enumeration's entry comes first";
    EXPECT_EQ(Bytes(answer.begin() + 33, answer.begin() + 37), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
}

TEST_F(KernelIrda, CountIsCutToTheEntriesTheKernelCopied) {
    struct {
        std::uint32_t reported;
        std::size_t copied;
        std::uint32_t count;
    } const cases[] = {
        {5, 2, 2},     // a short copy: only what arrived is a device
        {12, 10, 12},  // more devices than the list holds: the count stays the kernel's
        {1, 1, 1},
    };
    for (const auto& c : cases) {
        k_.reportedCount = c.reported;
        k_.log.clear();
        for (std::size_t i = 0; i < c.copied; ++i) {
            const Bytes entry = LogEntry(static_cast<std::uint32_t>(i + 1), "R", 0, 0, 0);
            k_.log.insert(k_.log.end(), entry.begin(), entry.end());
        }
        EXPECT_EQ(Count(Devices()), c.count) << c.reported;
    }
}

TEST_F(KernelIrda, ServiceQueryAsksForTheClassAndWantsAnInteger) {
    struct {
        int result;
        std::uint32_t type;
        bool ok;
    } const cases[] = {
        {0, 1, true},                // integer
        {0, 3, false},               // a string attribute
        {0, 0, false},               // missing
        {-EADDRNOTAVAIL, 1, false},  // no such class or attribute
        {-EHOSTUNREACH, 1, false},   // the device went away
        {-ETIMEDOUT, 1, false},      // no answer: the kernel would have waited for ever
    };
    for (const auto& c : cases) {
        k_.iasResult = c.result;
        k_.iasType = c.type;
        const std::set<int> before = k_.open;
        EXPECT_EQ(platform_->QueryService(Address(0x01020304), "IrDA:IrLMP:LsapSel"), c.ok)
            << c.result << " " << c.type;
        EXPECT_TRUE(platform_->IsOpen());
        // The next device is asked on the same socket, unless a query is left pending on it.
        EXPECT_EQ(k_.open == before, c.result != -ETIMEDOUT) << c.result;
        EXPECT_EQ(k_.callTimeouts.back(), 3000);
    }
    EXPECT_EQ(k_.iasLevel, kSolIrlmp);
    EXPECT_EQ(k_.iasName, kIasQuery);
    ASSERT_EQ(k_.iasRecord.size(), 1356u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(k_.iasRecord.data())), "Varnex");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(k_.iasRecord.data() + 64)),
              "IrDA:IrLMP:LsapSel");
    EXPECT_EQ(Bytes(k_.iasRecord.begin() + 1352, k_.iasRecord.end()),
              (Bytes{0x04, 0x03, 0x02, 0x01}));
}

TEST_F(KernelIrda, ConnectAddressNamesTheDeviceAndTheService) {
    ASSERT_TRUE(platform_->Connect(Address(0xA1B2C3D4), LinkClock::now() + 1s));
    // Family 23, any selector, padding, device, 25-byte service name, padding to 36.
    Bytes expected = {23, 0, 0xFF, 0, 0xD4, 0xC3, 0xB2, 0xA1, 'V', 'a', 'r', 'n', 'e', 'x'};
    expected.resize(36, 0);
    EXPECT_EQ(k_.address, expected);
}

TEST_F(KernelIrda, ConnectEndsByTheDeadlineAndAFailureGetsAFreshSocket) {
    struct {
        const char* what;
        int connect;
        int poll;
        short revents;
        int soError;
        bool made;
    } const cases[] = {
        {"at once", 0, 1, POLLOUT, 0, true},
        {"in progress, then made", -EINPROGRESS, 1, POLLOUT, 0, true},
        {"no answer by the deadline", -EINPROGRESS, 0, 0, 0, false},
        {"refused while waiting", -EINPROGRESS, 1, POLLOUT | POLLERR, ECONNREFUSED, false},
        {"hung up while waiting", -EINPROGRESS, 1, POLLHUP, 0, false},
        {"refused at once", -ECONNREFUSED, 1, POLLOUT, 0, false},
    };
    for (const auto& c : cases) {
        SKernel k;
        k.connectResult = c.connect;
        k.pollResult = c.poll;
        k.pollRevents = c.revents;
        k.soError = c.soError;
        CKernelIrda platform(std::make_unique<CScriptedKernel>(k));
        ASSERT_TRUE(platform.Open());
        const int first = *k.open.begin();
        EXPECT_EQ(platform.Connect(Address(9), LinkClock::now() + 200ms), c.made) << c.what;
        for (const int timeout : k.pollTimeouts) EXPECT_LE(timeout, 200) << c.what;
        for (const int timeout : k.callTimeouts) EXPECT_LE(timeout, 500) << c.what;
        EXPECT_LE(k.callTimeouts.front(), 200) << "the connect itself: " << c.what;
        ASSERT_EQ(k.open.size(), 1u) << c.what;
        EXPECT_EQ(*k.open.begin() != first, !c.made) << c.what;
        EXPECT_TRUE(platform.IsOpen()) << c.what;
    }
}

// The kernel's connections always run TinyTP.
TEST_F(KernelIrda, PacketModeIsRefusedBeforeAnyConnection) {
    EXPECT_TRUE(platform_->SetTinyTP(true));
    EXPECT_FALSE(platform_->SetTinyTP(false));

    SKernel k;
    CIrDASocket socket(std::make_unique<CKernelIrda>(std::make_unique<CScriptedKernel>(k)),
                       EIrdaMode::Packet);
    ASSERT_TRUE(socket.open());
    EXPECT_FALSE(socket.connect(Address(9)));
    EXPECT_TRUE(k.address.empty()) << "no connection was attempted";
}

TEST_F(KernelIrda, TransfersEndByTheDeadline) {
    std::array<std::uint8_t, 8> buffer{};
    const Bytes request = {0x01, 0x00};
    struct {
        const char* what;
        int poll;
        short revents;
        long recv;
        long received;
    } const cases[] = {
        {"a record", 1, POLLIN, 3, 3},
        {"nothing by the deadline", 0, 0, 0, -1},
        {"the radio hung up", 1, POLLHUP, 0, 0},
        {"an error", 1, POLLERR, 0, -1},
        {"a failing receive", 1, POLLIN, -EIO, -1},
    };
    for (const auto& c : cases) {
        k_.pollResult = c.poll;
        k_.pollRevents = c.revents;
        k_.recvResult = c.recv;
        if (c.recv > 0) k_.incoming = {Bytes(static_cast<std::size_t>(c.recv), 0x81)};
        EXPECT_EQ(platform_->Receive(buffer, LinkClock::now() + 50ms), c.received) << c.what;
    }
    k_.pollResult = 0;
    EXPECT_EQ(platform_->Send(request, LinkClock::now() + 50ms), -1);
    EXPECT_TRUE(k_.sent.empty());
    k_.pollResult = 1;
    k_.pollRevents = POLLOUT;
    EXPECT_EQ(platform_->Send(request, LinkClock::now() + 50ms), 2);
    EXPECT_EQ(k_.sent, std::vector<Bytes>{request});
}

TEST_F(KernelIrda, WithoutTheFamilyEveryCallFailsAndNothingIsLeftOpen) {
    platform_.reset();
    EXPECT_TRUE(k_.open.empty()) << "destruction closes the socket";

    k_.socketResult = -EAFNOSUPPORT;
    CKernelIrda platform(std::make_unique<CScriptedKernel>(k_));
    EXPECT_FALSE(platform.Open());
    EXPECT_FALSE(platform.IsOpen());
    std::array<std::uint8_t, SIrdaDeviceList::kBufferSize> answer{};
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_FALSE(platform.QueryDevices(answer));
    EXPECT_FALSE(platform.QueryService(Address(1), "IrDA:TinyTP:LsapSel"));
    EXPECT_FALSE(platform.SetTinyTP(true));
    EXPECT_FALSE(platform.Connect(Address(1), LinkClock::now() + 10ms));
    EXPECT_EQ(platform.Send(buffer, LinkClock::now() + 10ms), -1);
    EXPECT_EQ(platform.Receive(buffer, LinkClock::now() + 10ms), -1);
    EXPECT_TRUE(k_.address.empty());

    // The probe for the family fails the same way; when it succeeds its socket is closed.
    CScriptedKernel kernel(k_);
    EXPECT_FALSE(KernelIrdaAvailable(kernel));
    k_.socketResult = 0;
    EXPECT_TRUE(KernelIrdaAvailable(kernel));
    EXPECT_TRUE(k_.open.empty());
}

}  // namespace
