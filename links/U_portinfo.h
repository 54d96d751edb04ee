#pragma once
// What the system says about a serial port: its driver and, for a USB adapter, the USB
// identifiers and names, read from sysfs (class/tty/<name>/device). Lets a user tell the IrDA
// adapter's ttyUSB from the other ports.

#include <filesystem>
#include <string>

struct SPortInfo {
    std::string driver;
    std::string usbVendor;  // four hex digits, as the device reports them
    std::string usbProduct;
    std::string manufacturer;
    std::string product;

    bool IsUsb() const { return !usbVendor.empty(); }
    // "driver=ftdi_sio usb=0403:6001 FTDI FT232R USB UART"; empty when nothing is known.
    std::string Summary() const;
};

// The port is a device path (/dev/ttyUSB0); sysRoot is /sys, or a copy of its layout.
SPortInfo DescribeSerialPort(const std::filesystem::path& port,
                             const std::filesystem::path& sysRoot = "/sys");
