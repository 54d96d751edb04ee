#include "U_portinfo.h"

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The hardware sits a few levels above the tty: interface, then USB device, or the serial
// core's port and controller, then the UART.
constexpr int kSearchDepth = 4;

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// The driver bound to a device folder. The serial core's own port and controller devices
// (bus serial-base) stand between a UART's tty and its hardware: their drivers say nothing.
std::string DriverOf(const fs::path& device) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(device / "driver", ec);
    if (ec || target.parent_path().parent_path().filename() == "serial-base") return {};
    return target.filename().string();
}

}  // namespace

std::string SPortInfo::Summary() const {
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (part.empty()) return;
        if (!text.empty()) text += ' ';
        text += part;
    };
    if (!driver.empty()) add("driver=" + driver);
    if (IsUsb()) add("usb=" + usbVendor + ":" + usbProduct);
    add(manufacturer);
    add(product);
    return text;
}

SPortInfo DescribeSerialPort(const fs::path& port, const fs::path& sysRoot) {
    SPortInfo info;
    std::error_code ec;
    // /dev/serial/by-id names are links to the tty itself.
    const fs::path tty = fs::canonical(port, ec);
    const std::string name = (ec ? port : tty).filename().string();
    const fs::path deviceLink = sysRoot / "class" / "tty" / name / "device";
    fs::path device = fs::canonical(deviceLink, ec);
    if (ec) return info;
    // A USB serial converter's tty hangs below its interface, which has the driver when the
    // tty node itself has none (cdc_acm), and that below the USB device with its identifiers.
    const fs::path top = fs::canonical(sysRoot, ec);
    const auto below = [&top](const fs::path& dir) {
        const auto [t, d] = std::mismatch(top.begin(), top.end(), dir.begin(), dir.end());
        return t == top.end() && d != dir.end();
    };
    for (int level = 0; level < kSearchDepth && below(device);
         ++level, device = device.parent_path()) {
        if (info.driver.empty()) info.driver = DriverOf(device);
        if (fs::exists(device / "idVendor", ec) && fs::exists(device / "idProduct", ec)) {
            info.usbVendor = ReadLine(device / "idVendor");
            info.usbProduct = ReadLine(device / "idProduct");
            info.manufacturer = ReadLine(device / "manufacturer");
            info.product = ReadLine(device / "product");
            break;
        }
    }
    return info;
}
