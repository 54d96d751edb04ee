// The serial infrared stack against the virtual radio's secondary station over a
// pseudo-terminal: whole reads and writes of the delivered models in both modes, every link
// fault the radio can play, the adapter's line settings after use, and a trace tshark reads.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "../file_bytes.h"
#include "U_modules.h"
#include "U_simoptions.h"
#include "U_virtualradios.h"
#include "link_test_models.h"
#include "sir/U_iasclient.h"
#include "sir/U_irdatrace.h"
#include "sir/U_irlap.h"
#include "sir/U_irlmp.h"
#include "sir/U_sirplatform.h"
#include "sir/U_sirport.h"
#include "sir/U_tinytpframe.h"

namespace {

using namespace std::chrono_literals;

CModules& Modules() {
    static CModules modules(TESSEL_TEST_MODULE_ROOT);
    return modules;
}

IRadio& DeliveredRadio(const std::string& model) {
    for (IRadio* radio : RadioList(Modules()))
        if (radio->Ware()->Description() == model) return *radio;
    throw std::logic_error("no such model");
}

std::string Text(IRadioData& data) {
    std::ostringstream out;
    data.Save(out);
    return out.str();
}

// One radio in range: a single discovery slot keeps the searches quick.
class CSirEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ::setenv("TESSEL_IRDA_SLOTS", "1", 1); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CSirEnvironment);

struct SSirBench {
    explicit SSirBench(const std::string& radio, EIrdaMode mode = EIrdaMode::Stream,
                       std::chrono::milliseconds window = 1000ms)
        : radios({radio + ",link=sir"}), ports(Config(mode)) {
        ports.SetWindow(window);
    }
    SLinkConfig Config(EIrdaMode mode) const {
        SLinkConfig config = radios.LinkConfig();
        config.irdaMode = mode;
        return config;
    }
    sim::CVirtualRadio& Radio() { return radios.Radio(0); }

    sim::CVirtualRadios radios;
    CLinkPorts ports;
};

using SModelMode = std::tuple<std::string, EIrdaMode>;

class SirModel : public ::testing::TestWithParam<SModelMode> {};

TEST_P(SirModel, ReadsWritesAndReadsBackTheSameParameters) {
    const auto& [model, mode] = GetParam();
    SSirBench bench(model + ",sn=31337,converter=1", mode);
    IRadio& radio = DeliveredRadio(model);
    IRadioWare& ware = *radio.Ware();
    ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
    ASSERT_TRUE(linktest::RunTransfer(ware, radio, bench.ports, true).ok);
    EXPECT_EQ(radio.SerialNumber(), "31337");
    // Blank memory is not what a model writes: write once, then what is written is read.
    ASSERT_TRUE(linktest::RunTransfer(ware, radio, bench.ports, false).ok);
    ASSERT_TRUE(linktest::RunTransfer(ware, radio, bench.ports, true).ok);
    const std::string written = Text(*radio.Data());
    const int bank = bench.Radio().BankFlag();
    ASSERT_TRUE(linktest::RunTransfer(ware, radio, bench.ports, false).ok);
    if (model != "LARCH") {
        EXPECT_NE(bench.Radio().BankFlag(), bank);
    }
    ASSERT_TRUE(linktest::RunTransfer(ware, radio, bench.ports, true).ok);
    EXPECT_EQ(Text(*radio.Data()), written);
    EXPECT_FALSE(bench.ports.Irda().isOpen());
}

INSTANTIATE_TEST_SUITE_P(Sir, SirModel,
                         ::testing::Combine(::testing::Values("ALDER", "BIRCH", "CEDAR", "LARCH"),
                                            ::testing::Values(EIrdaMode::Stream,
                                                              EIrdaMode::Packet)),
                         [](const auto& info) {
                             return std::get<0>(info.param) +
                                    (std::get<1>(info.param) == EIrdaMode::Stream ? "Stream"
                                                                                  : "Packet");
                         });

// Alder's write: requests 1 identification, 2 probe, 3 clock, 4-8 the segments into the bank
// not in use, 9 release, 10 end.
struct SFaultCase {
    const char* name;
    const char* faults;
    bool found;
    bool written;
};

void RunFaultCases(const std::vector<SFaultCase>& cases) {
    for (const auto& c : cases) {
        SSirBench bench(std::string("ALDER,converter=2,") + c.faults, EIrdaMode::Stream,
                        kDefaultLinkWindow);
        IRadio& radio = DeliveredRadio("ALDER");
        IRadioWare& ware = *radio.Ware();
        ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
        const auto before = bench.Radio().Image();
        const auto start = LinkClock::now();
        const auto write = linktest::RunTransfer(ware, radio, bench.ports, false);
        const auto elapsed = LinkClock::now() - start;
        EXPECT_EQ(write.found, c.found) << c.name;
        EXPECT_EQ(write.ok, c.written) << c.name;
        // The search and the exchange each end within their 3000 ms, whatever the radio does.
        EXPECT_LT(elapsed, 7s) << c.name;
        EXPECT_EQ(bench.Radio().BankFlag(), c.written ? 1 : 0) << c.name;
        if (!c.written) {
            EXPECT_EQ(bench.Radio().Image(), before) << c.name;
        }
        EXPECT_FALSE(bench.ports.Irda().isOpen()) << c.name;
    }
}

TEST(SirFaults, RecoveredByTheLinkWithinTheWindow) {
    RunFaultCases({
        {"a lost frame is sent again", "fault=lose@6", true, true},
        {"a bad frame check is polled again", "fault=fcs@7", true, true},
        {"busy for a moment", "fault=rnr@5,delay=300", true, true},
    });
}

TEST(SirFaults, FailClearlyAndSpareTheBankInUse) {
    RunFaultCases({
        {"busy past the window", "fault=rnr@5,delay=4000", true, false},
        {"disconnect in mid-transfer", "fault=cut@6", true, false},
        {"no answer to SNRM", "fault=nosnrm", false, false},
        {"every frame lost", "fault=lose", false, false},
        {"every frame damaged", "fault=fcs", false, false},
    });
}

termios Settings(int fd) {
    termios settings{};
    EXPECT_EQ(::tcgetattr(fd, &settings), 0);
    return settings;
}

bool SameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && ::cfgetospeed(&a) == ::cfgetospeed(&b) &&
           ::cfgetispeed(&a) == ::cfgetispeed(&b);
}

TEST(SirPort, LineSettingsAreRestoredAfterATransferAndAfterAFailure) {
    for (const char* faults : {"", ",fault=cut@4"}) {
        SSirBench bench(std::string("ALDER") + faults);
        const std::string port = bench.radios.Server(0).Address();
        const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        // Settings another program left: cooked, 1200 baud, two stop bits.
        termios other = Settings(fd);
        other.c_lflag |= ICANON | ECHO;
        other.c_cflag |= CSTOPB;
        ::cfsetispeed(&other, B1200);
        ::cfsetospeed(&other, B1200);
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &other), 0);
        other = Settings(fd);

        IRadio& radio = DeliveredRadio("ALDER");
        IRadioWare& ware = *radio.Ware();
        ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
        linktest::RunTransfer(ware, radio, bench.ports, true);
        EXPECT_TRUE(SameSettings(Settings(fd), other)) << faults;
        ::close(fd);
    }
}

TEST(SirPort, AnAbsentAdapterFindsNothing) {
    SLinkConfig config;
    config.irdaPlatform = EIrdaPlatformKind::Sir;
    config.irdaPort = "/dev/null-no-such-adapter";
    CLinkPorts ports(config);
    IRadio& radio = DeliveredRadio("ALDER");
    IRadioWare& ware = *radio.Ware();
    ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
    EXPECT_FALSE(linktest::RunTransfer(ware, radio, ports, true).found);
    EXPECT_FALSE(ports.Irda().isOpen());
}

// A port another program holds is "busy", by its flock or by its UUCP lock file; a radio that
// goes quiet after discovery is told apart from no radio.
TEST(SirPort, AHeldPortIsBusyAndAQuietRadioIsSaidSo) {
    {
        SSirBench bench("ALDER");
        const std::string port = bench.radios.Server(0).Address();
        const int holder = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        IRadio& radio = DeliveredRadio("ALDER");
        ASSERT_TRUE(radio.Ware()->AttachData(&radio, nullptr, nullptr));
        EXPECT_FALSE(linktest::RunTransfer(*radio.Ware(), radio, bench.ports, true).found);
        EXPECT_TRUE(bench.ports.Irda().openFailed());
        EXPECT_EQ(bench.ports.Irda().problem(), "ИК-адаптер " + port + " занят другой программой");
        ::close(holder);
    }
    {
        SSirBench bench("ALDER,fault=silent", EIrdaMode::Stream, 300ms);
        IRadio& radio = DeliveredRadio("ALDER");
        ASSERT_TRUE(radio.Ware()->AttachData(&radio, nullptr, nullptr));
        EXPECT_FALSE(linktest::RunTransfer(*radio.Ware(), radio, bench.ports, true).found);
        EXPECT_TRUE(bench.ports.Irda().silentDevice());
        EXPECT_FALSE(bench.ports.Irda().openFailed());
    }
    const auto folder =
        std::filesystem::temp_directory_path() / ("tessel-lock-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const struct {
        std::string content;
        bool held;
    } locks[] = {{"      " + std::to_string(::getppid()) + "\n", true},
                 {std::to_string(::getpid()) + "\n", false},  // our own
                 {"2147483646\n", false},                     // gone
                 {"", false}};
    for (const auto& lock : locks) {
        std::ofstream(folder / "LCK..ttyUSB9") << lock.content;
        EXPECT_EQ(sir::HeldByUucpLock("/dev/ttyUSB9", folder), lock.held) << lock.content;
    }
    std::filesystem::remove_all(folder);
}

// The platform itself on the radio's line: discovery, the information base, the connection,
// and what Receive reports.
struct SPlatformBench {
    explicit SPlatformBench(const std::string& radio)
        : radios({radio + ",link=sir"}),
          platform(MakeSirIrdaPlatform(radios.Server(0).Address(), SSirSettings{115200, 1, {}})) {}

    // The radio's address for the service, from the device list.
    std::optional<SIrdaAddress> Discover() {
        if (!platform->Open()) return std::nullopt;
        std::array<std::uint8_t, SIrdaDeviceList::kBufferSize> list{};
        if (!platform->QueryDevices(list) || list[0] != 1) return std::nullopt;
        name.assign(reinterpret_cast<const char*>(list.data() + 8));
        SIrdaAddress address = SIrdaAddress::ForService(kIrdaServiceName);
        address.SetDeviceId(std::span(list).subspan<4, 4>());
        return address;
    }

    sim::CVirtualRadios radios;
    std::unique_ptr<IIrdaPlatform> platform;
    std::string name;
};

TEST(SirPlatform, InformationBaseHasOnlyTheServicesIntegerSelectors) {
    SPlatformBench bench("ALDER");
    auto address = bench.Discover();
    ASSERT_TRUE(address);
    EXPECT_EQ(bench.name, "ALDER");
    const struct {
        const char* service;
        const char* attribute;
        bool found;
    } cases[] = {{"Varnex", "IrDA:TinyTP:LsapSel", true},
                 {"Varnex", "IrDA:IrLMP:LsapSel", true},
                 {"Varnex", "IrDA:IrLMP:Other", false},
                 {"Other", "IrDA:TinyTP:LsapSel", false}};
    for (const auto& c : cases) {
        SIrdaAddress asked = SIrdaAddress::ForService(c.service);
        asked.SetDeviceId(address->DeviceId());
        EXPECT_EQ(bench.platform->QueryService(asked, c.attribute), c.found) << c.attribute;
    }
}

TEST(SirPlatform, LineRunsAtTheAgreedRateWhileConnectedAndIsPutBackAfter) {
    SPlatformBench bench("ALDER");
    const int fd = ::open(bench.radios.Server(0).Address().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const speed_t before = ::cfgetospeed(&static_cast<const termios&>(Settings(fd)));
    auto address = bench.Discover();
    ASSERT_TRUE(address);
    ASSERT_TRUE(bench.platform->Connect(*address, LinkClock::now() + 1s));
    EXPECT_EQ(::cfgetospeed(&static_cast<const termios&>(Settings(fd))), B115200);
    // Nothing asked, nothing comes: a failure at the deadline, not a wait for ever.
    const auto start = LinkClock::now();
    std::array<std::uint8_t, 64> buffer{};
    EXPECT_EQ(bench.platform->Receive(buffer, start + 100ms), -1);
    EXPECT_LT(LinkClock::now() - start, 1s);
    bench.platform->Close();
    EXPECT_EQ(::cfgetospeed(&static_cast<const termios&>(Settings(fd))), before);
    ::close(fd);
}

TEST(SirPlatform, RadioClosingTheConnectionReadsAsEndOfData) {
    SPlatformBench bench("ALDER,fault=drop@1");
    auto address = bench.Discover();
    ASSERT_TRUE(address);
    ASSERT_TRUE(bench.platform->Connect(*address, LinkClock::now() + 1s));
    const std::uint8_t identify = 0x01;
    ASSERT_EQ(bench.platform->Send(std::span(&identify, 1), LinkClock::now() + 1s), 1);
    std::array<std::uint8_t, 64> reply{};
    EXPECT_EQ(bench.platform->Receive(reply, LinkClock::now() + 1s), 25);  // Alder's identification
    EXPECT_EQ(reply[0], 0x81);
    EXPECT_EQ(bench.platform->Receive(reply, LinkClock::now() + 1s), 0);
}

// The radio's secondary station seen from a bare primary: the TinyTP connect confirm answers
// the offer, and the UA waits the default minimum turnaround even on an unpaced line.
TEST(SirStation, ConfirmCarriesMaxSduSizeOnlyWhenOfferedAndUaWaitsTheTurnaround) {
    sim::CVirtualRadios radios({"ALDER,link=sir,hints=0x8420"});
    sir::CSirPort port;
    std::string error;
    ASSERT_TRUE(port.Open(radios.Server(0).Address(), error)) << error;
    sir::CSirLine line(port, nullptr);
    sir::CIrlapPrimary lap(line, sir::SPrimaryConfig{0x11111111, 9600, 1, {}});
    const auto found = lap.Discover(LinkClock::now() + 1s);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].info.hints, (std::vector<std::uint8_t>{0x84, 0x20}));
    const auto start = LinkClock::now();
    ASSERT_TRUE(lap.Connect(found[0].address, LinkClock::now() + 1s));
    EXPECT_GE(LinkClock::now() - start, 10ms);
    sir::CIrlmpClient lmp(lap);
    const auto lsap = sir::QueryIas(lmp, "Varnex", "IrDA:TinyTP:LsapSel", LinkClock::now() + 1s);
    ASSERT_TRUE(lsap && lsap->Integer());
    const struct {
        std::uint16_t offered;
        std::size_t size;  // of the confirm's TinyTP header
        std::uint16_t maxSdu;
    } cases[] = {{0, 1, 0}, {1024, 6, 4096}};
    for (const auto& c : cases) {
        const auto confirm =
            lmp.Connect(static_cast<std::uint8_t>(*lsap->Integer()),
                        sir::STtpConnect{14, c.offered}.Encode(), LinkClock::now() + 1s);
        ASSERT_TRUE(confirm) << c.offered;
        EXPECT_EQ(confirm->size(), c.size) << c.offered;
        EXPECT_EQ(sir::STtpConnect::Parse(*confirm)->maxSdu, c.maxSdu) << c.offered;
        lmp.Disconnect(LinkClock::now() + 1s);
    }
    lap.Disconnect();
}

// Hint bytes chain by their extension bit: every byte but the last has it.
TEST(SirStation, HintOptionTakesOneOrTwoChainedBytes) {
    const struct {
        const char* option;
        std::vector<std::uint8_t> hints;  // empty: refused
    } cases[] = {{"", {0x02}},       {",hints=00", {0x00}}, {",hints=0x8420", {0x84, 0x20}},
                 {",hints=84", {}},  {",hints=0x0420", {}}, {",hints=0x84A0", {}},
                 {",hints=123", {}}, {",hints=", {}}};
    for (const auto& c : cases) {
        sim::SVirtualRadioOptions options;
        std::string error;
        const bool ok = sim::ParseVirtualRadio(std::string("ALDER") + c.option, options, error);
        EXPECT_EQ(ok, !c.hints.empty()) << c.option;
        if (ok) {
            EXPECT_EQ(options.hints, c.hints) << c.option;
        }
    }
}

std::string Output(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

TEST(SirTrace, TsharkDecodesAWholeSession) {
    if (std::system("command -v tshark >/dev/null 2>&1") != 0) GTEST_SKIP() << "no tshark";
    const auto trace = std::filesystem::temp_directory_path() /
                       ("tessel-sir-trace-" + std::to_string(::getpid()) + ".pcap");
    ::setenv("TESSEL_IRDA_TRACE", trace.c_str(), 1);
    {
        SSirBench bench("ALDER");
        ::unsetenv("TESSEL_IRDA_TRACE");
        IRadio& radio = DeliveredRadio("ALDER");
        IRadioWare& ware = *radio.Ware();
        ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
        ASSERT_TRUE(linktest::RunTransfer(ware, radio, bench.ports, true).ok);
    }
    const std::string decoded = Output("tshark -r " + trace.string() + " -V 2>&1");
    std::filesystem::remove(trace);
    EXPECT_EQ(decoded.find("Malformed"), std::string::npos);
    for (const char* expected :
         {"IrDA Link Access Protocol", "XID", "Device Nickname: ALDER", "SNRM", "UA",
          "Information Access Protocol", "Class Name: Varnex", "IrDA:TinyTP:LsapSel",
          "IrDA Link Management Protocol", "Connect Confirm", "N(S)", "DISC"})
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
}

// A trace goes only into a regular file (made for the user alone); anything else is said.
TEST(SirTrace, ATraceThatCannotBeWrittenIsSaid) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tessel-trace-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    for (const std::string& target :
         {(folder / "fifo").string(), folder.string(), (folder / "no" / "such").string()}) {
        std::string problem;
        EXPECT_EQ(sir::CIrdaTrace::Create(target, &problem), nullptr) << target;
        EXPECT_TRUE(problem.starts_with("Протокол обмена не записывается: Файл")) << problem;
    }
    std::string problem;
    EXPECT_NE(sir::CIrdaTrace::Create((folder / "t.pcap").string(), &problem), nullptr);
    EXPECT_EQ(std::filesystem::status(folder / "t.pcap").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::remove_all(folder);
}

// A memory file that is a folder, a FIFO or a device: a clear error before the line is opened.
TEST(SirMemory, AMemoryThatIsNoFileIsRefusedAtOnce) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tessel-sim-memory-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    for (const std::string& memory :
         {folder.string(), (folder / "fifo").string(), std::string("/dev/zero")}) {
        const std::string command = "timeout 20 " + std::string(TESSEL_TEST_BIN_DIR) +
                                    "/tessel-radiosim alder --link=sir --memory " + memory +
                                    " 2>&1";
        std::string output;
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[512];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, n);
        const int status = ::pclose(pipe);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << memory;
        EXPECT_TRUE(output.starts_with("tessel-radiosim: память радиостанции: Файл")) << output;
        EXPECT_NE(output.find("это не обычный файл"), std::string::npos) << output;
    }
    std::filesystem::remove_all(folder);
}

// A tessel-radiosim process on a serial infrared line, killed or stopped when the test ends.
class CRadioProcess {
  public:
    explicit CRadioProcess(const std::vector<std::string>& arguments) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> all = {std::string(TESSEL_TEST_BIN_DIR) + "/tessel-radiosim"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (spawned != 0) {
            pid_ = -1;
            ::close(out[0]);
            return;
        }
        // The first line is the pseudo-terminal's path.
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n') port_ += c;
        output_ = out[0];
    }
    ~CRadioProcess() { Kill(SIGTERM); }

    void Kill(int signal) {
        if (pid_ <= 0) return;
        ::kill(pid_, signal);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        ::close(output_);
    }
    const std::string& Port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string port_;
};

std::string ReadFrom(const std::string& port, IRadio& radio) {
    SLinkConfig config;
    config.irdaPlatform = EIrdaPlatformKind::Sir;
    config.irdaPort = port;
    CLinkPorts ports(config);
    if (!linktest::RunTransfer(*radio.Ware(), radio, ports, true).ok) return "read failed";
    return Text(*radio.Data());
}

TEST(SirMemory, RadioKilledInMidWriteRestartsWithTheOldOrTheNewParameters) {
    const auto memory = std::filesystem::temp_directory_path() /
                        ("tessel-sir-memory-" + std::to_string(::getpid()));
    std::filesystem::remove(memory);
    IRadio& radio = DeliveredRadio("ALDER");
    ASSERT_TRUE(radio.Ware()->AttachData(&radio, nullptr, nullptr));
    std::string before;
    std::string after;
    {
        CRadioProcess process({"ALDER", "--link=sir", "--memory", memory.string()});
        ASSERT_FALSE(process.Port().empty());
        SLinkConfig config;
        config.irdaPlatform = EIrdaPlatformKind::Sir;
        config.irdaPort = process.Port();
        CLinkPorts ports(config);
        ASSERT_TRUE(linktest::RunTransfer(*radio.Ware(), radio, ports, true).ok);
        ASSERT_TRUE(linktest::RunTransfer(*radio.Ware(), radio, ports, false).ok);
        before = ReadFrom(process.Port(), radio);
        ASSERT_NE(before.find("Light=1"), std::string::npos);
        after = before;
        after.replace(after.find("Light=1"), 7, "Light=0");
    }
    {
        // A line paced at 9600 baud: the write takes seconds, the kill comes after its first
        // segment has reached the radio's memory.
        CRadioProcess process({"ALDER", "--link=sir", "--baud=9600", "--memory", memory.string()});
        ASSERT_EQ(ReadFrom(process.Port(), radio), before);
        std::istringstream text(after);
        ASSERT_TRUE(radio.Data()->Load(text, true));
        const auto untouched = ReadAll(memory);
        SLinkConfig config;
        config.irdaPlatform = EIrdaPlatformKind::Sir;
        config.irdaPort = process.Port();
        CLinkPorts ports(config);
        bool written = true;
        std::thread writer(
            [&] { written = linktest::RunTransfer(*radio.Ware(), radio, ports, false).ok; });
        const auto limit = LinkClock::now() + 10s;
        while (ReadAll(memory) == untouched && LinkClock::now() < limit)
            std::this_thread::sleep_for(2ms);
        process.Kill(SIGKILL);
        writer.join();
        EXPECT_FALSE(written);
    }
    CRadioProcess restarted({"ALDER", "--link=sir", "--memory", memory.string()});
    EXPECT_EQ(ReadFrom(restarted.Port(), radio), before);
    std::filesystem::remove(memory);
}

}  // namespace
