// A USB serial adapter pulled out in the middle of a transfer, on the serial infrared line and
// on the plain serial link: the transfer ends at once and the message names the port. The
// adapter is a pseudo-terminal of its own between the program and the virtual radio's line;
// closing its master side is what the program sees of a pulled-out adapter: a hang-up, EIO on
// write, the node gone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <thread>

#include "U_modules.h"
#include "U_radiowrite.h"
#include "U_transfertext.h"
#include "U_virtualradios.h"
#include "U_writesteps.h"
#include "link_test_models.h"

namespace {

using namespace std::chrono_literals;

class CPluggedAdapter {
  public:
    explicit CPluggedAdapter(const std::string& radioLine) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        std::array<char, 128> name{};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name.data(), name.size()) != 0)
            throw std::runtime_error("no pseudo-terminal");
        path_ = name.data();
        radio_ = ::open(radioLine.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (radio_ < 0) throw std::runtime_error("no radio line");
        thread_ = std::thread([this] { Run(); });
    }
    ~CPluggedAdapter() {
        stop_ = true;
        thread_.join();
        if (master_ >= 0) ::close(master_);
        ::close(radio_);
    }
    CPluggedAdapter(const CPluggedAdapter&) = delete;
    CPluggedAdapter& operator=(const CPluggedAdapter&) = delete;

    const std::string& Path() const { return path_; }
    // Pulled out once this many more bytes have come from the radio; 0: at once.
    void PullOutAfter(long bytes) { left_ = bytes; }
    // Bytes carried from the radio so far.
    long Carried() const { return carried_; }

  private:
    // Gives up after a moment: a side that nobody reads loses the bytes, as a real line would.
    static void WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
        const auto limit = LinkClock::now() + 200ms;
        while (size > 0 && LinkClock::now() < limit) {
            const ssize_t n = ::write(fd, bytes, size);
            if (n > 0) {
                bytes += n;
                size -= static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return;
            } else {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 5);
            }
        }
    }

    void Run() {
        std::array<std::uint8_t, 4096> chunk{};
        while (!stop_) {
            if (left_ == 0 && master_ >= 0) {
                ::close(master_);
                master_ = -1;
            }
            pollfd p[2] = {{master_, POLLIN, 0}, {radio_, POLLIN, 0}};
            if (::poll(p, 2, 5) <= 0) continue;
            // The program's side not open (between its searches): nothing to carry.
            if ((p[0].revents & POLLHUP) && !(p[0].revents & POLLIN))
                std::this_thread::sleep_for(2ms);
            if (p[0].revents & POLLIN) {
                const ssize_t n = ::read(master_, chunk.data(), chunk.size());
                if (n > 0) WriteAll(radio_, chunk.data(), static_cast<std::size_t>(n));
            }
            if (p[1].revents & POLLIN) {
                ssize_t n = ::read(radio_, chunk.data(), chunk.size());
                if (n <= 0 || master_ < 0) continue;
                if (const long left = left_; left > 0) {
                    n = std::min<ssize_t>(n, left);
                    left_ = left - n;
                }
                carried_ += n;
                WriteAll(master_, chunk.data(), static_cast<std::size_t>(n));
            }
        }
    }

    int master_ = -1;
    int radio_ = -1;
    std::string path_;
    std::atomic<long> left_{-1};
    std::atomic<long> carried_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

IRadio& Alder() {
    static CModules modules(TESSEL_TEST_MODULE_ROOT);
    for (IRadio* radio : RadioList(modules))
        if (radio->Ware()->Description() == "ALDER") return *radio;
    throw std::logic_error("no ALDER model");
}

std::unique_ptr<CRadioNet> Find(IRadio& radio, CLinkPorts& ports) {
    IRadioQualifier* qualifier = radio.Ware()->CreateQualifier(&radio);
    std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
    radio.Ware()->ReleaseQualifier(qualifier);
    return net;
}

// The program's ports on the adapter: the infrared one, or the only serial port.
SLinkConfig AdapterConfig(const std::string& path, bool infrared) {
    SLinkConfig config;
    config.irdaPlatform = infrared ? EIrdaPlatformKind::Sir : EIrdaPlatformKind::Virtual;
    config.irdaPort = infrared ? path : std::string();
    config.irdaDirectory = "/nonexistent";
    config.serialPorts = {infrared ? "/dev/null-no-such-port" : path};
    return config;
}

TEST(Unplugged, AnAdapterPulledOutInMidTransferEndsItAtOnceAndIsNamed) {
    const std::unique_ptr<linktest::CTestWare> serialWare = linktest::AlderLike(PR_NET_SP);
    for (const bool infrared : {true, false})
        for (const bool reading : {true, false}) {
            const std::string name =
                std::string(infrared ? "sir " : "serial ") + (reading ? "read" : "write");
            sim::CVirtualRadios radios({infrared ? "ALDER,link=sir" : "ALDER,link=serial"});
            CPluggedAdapter adapter(radios.Server(0).Address());
            CLinkPorts ports(AdapterConfig(adapter.Path(), infrared));
            IRadio& radio = infrared ? Alder() : serialWare->TestRadio();
            ASSERT_TRUE(radio.Ware()->AttachData(&radio, nullptr, nullptr));
            std::unique_ptr<CRadioNet> net = Find(radio, ports);
            ASSERT_TRUE(net) << name;
            const fleet::CWriteSteps steps(radio, {});
            const fleet::CExchangeLease rw(radio, *net);
            LinkClock::time_point pulled{};
            const bool done = steps.Exchange(*rw.Get(), reading, [&](int percent) {
                if (percent > 0 && pulled == LinkClock::time_point{}) {
                    adapter.PullOutAfter(0);
                    pulled = LinkClock::now();
                }
            });
            ASSERT_FALSE(done) << name;
            // Within the link's 3000 ms window it would have waited for an answer.
            EXPECT_LT(LinkClock::now() - pulled, 1s) << name;
            const std::string message = fleet::TransferFailureText(reading, *net);
            const std::string said =
                (infrared ? "ИК-адаптер " : "Порт ") + adapter.Path() + " отключён";
            EXPECT_EQ(message.rfind(reading ? "Ошибка чтения" : "Ошибка записи", 0), 0u)
                << name << ": " << message;
            EXPECT_TRUE(message.ends_with(": " + said)) << name << ": " << message;
        }
}

// Pulled out during the search, in the discovery or in the identification: no radio, and why.
TEST(Unplugged, AnAdapterPulledOutInMidSearchIsNamedInsteadOfNoRadio) {
    for (const long after : {8L, 300L}) {
        sim::CVirtualRadios radios({"ALDER,link=sir"});
        CPluggedAdapter adapter(radios.Server(0).Address());
        CLinkPorts ports(AdapterConfig(adapter.Path(), true));
        IRadio& radio = Alder();
        ASSERT_TRUE(radio.Ware()->AttachData(&radio, nullptr, nullptr));
        adapter.PullOutAfter(after);
        EXPECT_FALSE(Find(radio, ports)) << after;
        EXPECT_EQ(transfertext::RadioNotFoundText(ports.IrdaPlatform(), ports.Irda()),
                  std::string(transfertext::kRadioNotFound) + ": ИК-адаптер " + adapter.Path() +
                      " отключён")
            << after;
    }
}

// No other radio for the group: only the read-back's new link to the radio written.
struct SOnlyRadio final : fleet::IFleetRadios {
    explicit SOnlyRadio(CLinkPorts& ports) : ports(ports) {}
    std::vector<fleet::SRadioInRange> InRange(IRadio&) override { return {}; }
    std::unique_ptr<CRadioNet> Open(IRadio& radio, const std::string&) override {
        return Find(radio, ports);
    }
    std::string Failure() const override { return ports.Irda().failure(); }
    CLinkPorts& ports;
};

// The read-back after a good write fails as a transfer and says why, as the write would; a
// read-back that finds other contents says only that.
TEST(Unplugged, AReadBackWhoseAdapterIsPulledOutSaysWhy) {
    const auto folder = std::filesystem::path(testing::TempDir()) /
                        ("tessel-unplug-backups-" + std::to_string(::getpid()));
    sim::CVirtualRadios radios({"ALDER,link=sir"});
    CPluggedAdapter adapter(radios.Server(0).Address());
    CLinkPorts ports(AdapterConfig(adapter.Path(), true));
    IRadio& radio = Alder();
    ASSERT_TRUE(radio.Ware()->AttachData(&radio, nullptr, nullptr));
    // A search and a whole read: the read-back is pulled out halfway through the same.
    std::unique_ptr<CRadioNet> net = Find(radio, ports);
    ASSERT_TRUE(net && fleet::CWriteSteps(radio, {}).ReadWhole(*net));
    net.reset();
    const long half = adapter.Carried() / 2;
    SOnlyRadio only(ports);
    const fleet::SRadioWriteSetup setup{radio,
                                        only,
                                        {},
                                        [&](const std::string& status, int) {
                                            if (status == transfertext::kVerifyStart)
                                                adapter.PullOutAfter(half);
                                        },
                                        folder};
    const fleet::SWriteOutcome outcome = fleet::WriteRadio(setup, Find(radio, ports), "1");
    EXPECT_EQ(outcome.result, fleet::EResult::Failed);
    EXPECT_EQ(outcome.message.rfind(std::string(transfertext::kVerifyReadError) + ": ИК-адаптер " +
                                        adapter.Path() + " отключён",
                                    0),
              0u)
        << outcome.message;
    const std::vector<std::string> differing{"Channel1.Frequency"};
    EXPECT_EQ(fleet::ReadBackFailureText(differing, "ИК-адаптер … отключён"),
              fleet::ReadBackFailureText(differing, ""));
    std::filesystem::remove_all(folder);
}

}  // namespace
