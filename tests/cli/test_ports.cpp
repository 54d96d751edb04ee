// What the system says about serial ports (a copy of the sysfs layout), and the ports verb as a
// user runs it with a pseudo-terminal as the only port.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "U_portinfo.h"

namespace fs = std::filesystem;

namespace {

class PortInfo : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessel-sysfs-XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(root_); }

    // A device folder under devices/ and its link to a driver of a bus.
    fs::path Device(const std::string& path, const std::string& bus = {},
                    const std::string& driver = {}) {
        const fs::path dir = root_ / "devices" / path;
        fs::create_directories(dir);
        if (!driver.empty()) {
            const fs::path target = root_ / "bus" / bus / "drivers" / driver;
            fs::create_directories(target);
            fs::create_symlink(target, dir / "driver");
        }
        return dir;
    }
    void Attribute(const fs::path& dir, const std::string& name, const std::string& value) {
        std::ofstream(dir / name) << value << '\n';
    }
    void Tty(const std::string& name, const fs::path& device) {
        fs::create_directories(root_ / "class" / "tty" / name);
        fs::create_directory_symlink(device, root_ / "class" / "tty" / name / "device");
    }
    void UsbDevice(const fs::path& dir, const char* vendor, const char* product, const char* maker,
                   const char* name) {
        Attribute(dir, "idVendor", vendor);
        Attribute(dir, "idProduct", product);
        Attribute(dir, "manufacturer", maker);
        Attribute(dir, "product", name);
    }

    fs::path root_;
};

TEST_F(PortInfo, UsbAdaptersAreNamedAndOtherPortsShowTheirDriver) {
    // A converter whose tty node has its own driver, one whose interface has it, an on-board
    // UART behind the serial core's port devices, and a port sysfs does not know.
    UsbDevice(Device("pci0/usb1/1-1"), "0403", "6001", "FTDI", "FT232R USB UART");
    Device("pci0/usb1/1-1/1-1:1.0", "usb", "ftdi_sio");
    Tty("ttyUSB0", Device("pci0/usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio"));
    UsbDevice(Device("pci0/usb1/1-2"), "2341", "0043", "Maker", "Board");
    Tty("ttyACM0", Device("pci0/usb1/1-2/1-2:1.0", "usb", "cdc_acm"));
    Device("pnp0/00:01", "pnp", "serial");
    Device("pnp0/00:01/00:01:0", "serial-base", "ctrl");
    Tty("ttyS0", Device("pnp0/00:01/00:01:0/00:01:0.0", "serial-base", "port"));

    struct {
        const char* port;
        std::string summary;
    } const cases[] = {
        {"/dev/ttyUSB0", "driver=ftdi_sio usb=0403:6001 FTDI FT232R USB UART"},
        {"/dev/ttyACM0", "driver=cdc_acm usb=2341:0043 Maker Board"},
        {"/dev/ttyS0", "driver=serial"},
        {"/dev/pts/3", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeSerialPort(c.port, root_).Summary(), c.summary) << c.port;
}

struct SRun {
    int code = -1;
    std::string out;
};

SRun Cli(const std::string& environment, const std::string& arguments) {
    const std::string command =
        environment + " " + std::string(TESSEL_TEST_BIN_DIR) + "/tessel-cli " + arguments;
    SRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(PortsVerb, NamesThePlatformAndListsThePortsSeen) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string pty = ::ptsname(master);

    const SRun adapter = Cli("env -u TESSEL_IRDA_DIR TESSEL_IRDA_PORT=" + pty +
                                 " TESSEL_IRDA_MODE=packet TESSEL_SERIAL_PORTS=" + pty,
                             "ports");
    EXPECT_EQ(adapter.code, 0);
    EXPECT_EQ(adapter.out, "platform\tIrDA: userspace stack on the infrared adapter " + pty +
                               "\nmode\tpacket\nadapter\t" + pty + "\tpresent\nport\t" + pty +
                               "\n");
    const SRun unplugged = Cli("env -u TESSEL_IRDA_DIR TESSEL_IRDA_PORT=/dev/ttyUSB99", "ports");
    EXPECT_NE(unplugged.out.find("adapter\t/dev/ttyUSB99\tmissing\n"), std::string::npos);

    const SRun virtualRadios =
        Cli("TESSEL_IRDA_DIR=/tmp/radios TESSEL_SERIAL_PORTS=" + pty, "ports");
    EXPECT_EQ(virtualRadios.out,
              "platform\tIrDA: virtual neighbourhood in /tmp/radios\n"
              "mode\tstream\nport\t" +
                  pty + "\n");
    ::close(master);
}

}  // namespace
