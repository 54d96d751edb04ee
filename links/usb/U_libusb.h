#pragma once
// The host's USB through libusb-1.0: the devices with their descriptors (the names and serial
// number from sysfs, which any user may read), and a device opened for the adapter drivers.

#include <filesystem>
#include <memory>

#include "U_usbdevice.h"

namespace usb {

// Nullptr when libusb cannot start (no USB on this host).
std::unique_ptr<IUsbBus> MakeLibusbBus(const std::filesystem::path& sysRoot = "/sys");

}  // namespace usb
