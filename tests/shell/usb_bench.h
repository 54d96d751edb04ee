#pragma once
// A USB infrared adapter on a fake bus for the window's tests, kept apart from the Qt headers
// (the userspace stack's headers name a field "slots").

#include <functional>
#include <string>

#include "usb/U_usbdevice.h"

struct SFakeUsbAdapter {
    usb::BusFactory bus;
    std::string selector;          // the one that names it: "usb:066f:4200@1-2"
    std::function<void()> unplug;  // from any thread: gone from the next transfer on
};

// A STIr4200 whose far side is a virtual radio's serial infrared line.
SFakeUsbAdapter FakeStir4200(const std::string& line);
