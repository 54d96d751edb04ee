// A line that stops moving never holds the virtual radio: a tessel-radiosim process on each link,
// with a peer that floods it with requests and reads nothing or that stops in the middle of a
// frame, still ends within a second of SIGTERM, its memory file whole. The program's own serial
// infrared port gives up a write to a line that does not drain by its deadline.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "U_frame.h"
#include "U_simserver.h"
#include "sir/U_irlapframe.h"
#include "sir/U_sirframe.h"
#include "sir/U_sirport.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

enum class EPeer { StopsReading, StopsInMidFrame };

struct SStallCase {
    const char* link;
    EPeer peer;
};

std::string Name(const SStallCase& c) {
    return std::string(c.link) +
           (c.peer == EPeer::StopsReading ? "StopsReading" : "StopsInMidFrame");
}

void PrintTo(const SStallCase& c, std::ostream* out) {
    *out << Name(c);
}

// A request with a long reply on each link, as its peer writes it.
Bytes LongRequest(const std::string& link) {
    const Bytes getSegment{0x02, 0x00, 0x00, 0x02};  // segment 512: 512 bytes back
    if (link == "irda") return getSegment;
    if (link == "serial") return frame::Build(getSegment);
    // A discovery in one slot, answered at once, then its end, which readies the next.
    sir::SLapFrame xid;
    xid.control = sir::ucontrol::kXidCommand | sir::kPollFinal;
    sir::SXidInfo info;
    info.source = 0x51;
    xid.info = info.Encode();
    Bytes bytes = sir::Wrap(xid.Encode(), 0);
    info.slot = sir::SXidInfo::kFinalSlot;
    xid.info = info.Encode();
    const Bytes end = sir::Wrap(xid.Encode(), 0);
    bytes.insert(bytes.end(), end.begin(), end.end());
    return bytes;
}

// The radio's line as a peer holds it: the pseudo-terminal, or a connection to its socket.
int OpenPeer(const std::string& link, const std::string& address) {
    if (link != "irda") {
        const int fd = ::open(address.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios raw{};
        if (fd >= 0 && ::tcgetattr(fd, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(fd, TCSANOW, &raw);
        }
        return fd;
    }
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un to{};
    to.sun_family = AF_UNIX;
    std::strncpy(to.sun_path, address.c_str(), sizeof to.sun_path - 1);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Half a request, the rest never comes: in packet mode on infrared, a packet that says more
// follows.
Bytes HalfRequest(const std::string& link) {
    if (link == "irda") return {0x80, 0x02, 0x00};
    const Bytes whole = LongRequest(link);
    return Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
}

// Writes the request again and again without reading a reply, until the radio takes no more
// (it is stuck on its replies) or a generous number went out.
void Flood(int fd, const Bytes& request, bool records) {
    for (int sent = 0; sent < 20000; ++sent) {
        for (std::size_t at = 0; at < request.size();) {
            const auto rest = std::span(request).subspan(at);
            const ssize_t n = records ? ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL)
                                      : ::write(fd, rest.data(), rest.size());
            if (n > 0) {
                at += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN) return;
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 300) <= 0) return;  // the radio has stopped taking requests
        }
    }
}

// A tessel-radiosim process; its line's address is on the line that describes the radio.
class CRadioProcess {
  public:
    CRadioProcess(std::vector<std::string> arguments, const fs::path& irdaDirectory) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        arguments.insert(arguments.begin(), std::string(TESSEL_TEST_BIN_DIR) + "/tessel-radiosim");
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string directory = "TESSEL_IRDA_DIR=" + irdaDirectory.string();
        std::vector<char*> env{directory.data()};
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "TESSEL_IRDA_DIR=", 16) != 0) env.push_back(*e);
        env.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
            pid_ = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (pid_ > 0 && ::read(out[0], &c, 1) == 1) {
            if (c != '\n') {
                line += c;
            } else if (const auto at = line.rfind(": "); line.find(" radio, ") != line.npos) {
                address_ = line.substr(at + 2);
                break;
            } else {
                line.clear();
            }
        }
        ::close(out[0]);
    }
    ~CRadioProcess() {
        if (pid_ > 0 && !Ended(0ms)) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
    }

    const std::string& Address() const { return address_; }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // True when the process ended within the time; its exit status then in Status().
    bool Ended(std::chrono::milliseconds within) {
        const auto until = Clock::now() + within;
        do {
            if (::waitpid(pid_, &status_, WNOHANG) == pid_) return pid_ = -1, true;
            std::this_thread::sleep_for(2ms);
        } while (Clock::now() < until);
        return false;
    }
    int Status() const { return status_; }

  private:
    pid_t pid_ = -1;
    int status_ = 0;
    std::string address_;
};

class StalledLine : public ::testing::TestWithParam<SStallCase> {};

TEST_P(StalledLine, SigtermEndsTheRadioWithinASecondAndItsMemoryStaysWhole) {
    const SStallCase& c = GetParam();
    const fs::path folder =
        fs::temp_directory_path() / ("tessel-stall-" + std::to_string(::getpid()) + "-" + c.link);
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all);
    const fs::path memory = folder / "memory";
    const std::vector<std::string> arguments = {"ALDER", std::string("--link=") + c.link,
                                                "--memory", memory.string()};
    CRadioProcess radio(arguments, folder);
    ASSERT_FALSE(radio.Address().empty());
    const int peer = OpenPeer(c.link, radio.Address());
    ASSERT_GE(peer, 0) << radio.Address();
    if (c.peer == EPeer::StopsReading) {
        Flood(peer, LongRequest(c.link), std::string(c.link) == "irda");
    } else {
        const Bytes half = HalfRequest(c.link);
        ASSERT_EQ(::write(peer, half.data(), half.size()), static_cast<ssize_t>(half.size()));
        std::this_thread::sleep_for(50ms);  // the radio has taken the half and waits for more
    }

    radio.Signal(SIGTERM);
    const bool ended = radio.Ended(1000ms);
    ::close(peer);
    ASSERT_TRUE(ended) << "still running a second after SIGTERM";
    EXPECT_TRUE(WIFEXITED(radio.Status()) && WEXITSTATUS(radio.Status()) == 0) << radio.Status();

    // The memory file is the radio's whole memory: a new radio starts from it.
    EXPECT_FALSE(fs::exists(memory.string() + ".tmp"));
    CRadioProcess again(arguments, folder);
    EXPECT_FALSE(again.Address().empty());
    again.Signal(SIGTERM);
    EXPECT_TRUE(again.Ended(1000ms));
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Links, StalledLine,
                         ::testing::Values(SStallCase{"irda", EPeer::StopsReading},
                                           SStallCase{"serial", EPeer::StopsReading},
                                           SStallCase{"sir", EPeer::StopsReading},
                                           SStallCase{"irda", EPeer::StopsInMidFrame},
                                           SStallCase{"serial", EPeer::StopsInMidFrame},
                                           SStallCase{"sir", EPeer::StopsInMidFrame}),
                         [](const auto& info) { return Name(info.param); });

TEST(SirPortStall, AWriteToALineThatDoesNotDrainEndsByItsDeadline) {
    const sim::SPseudoTerminal line = sim::OpenRawPseudoTerminal();
    sir::CSirPort port;
    std::string error;
    ASSERT_TRUE(port.Open(line.slavePath, error)) << error;
    const Bytes bytes(1 << 20, 0x55);  // far more than the line holds; nobody reads it
    const auto start = Clock::now();
    EXPECT_FALSE(port.Write(bytes, start + 200ms));
    EXPECT_LT(Clock::now() - start, 1s);
    port.Close();
    ::close(line.slaveHold);
    ::close(line.master);
}

}  // namespace
