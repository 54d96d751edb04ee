#include "U_usbdevice.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace usb {

std::string StatusText(EUsbStatus status) {
    switch (status) {
        case EUsbStatus::Ok:
            return "в порядке";
        case EUsbStatus::TimedOut:
            return "адаптер не ответил вовремя";
        case EUsbStatus::Stalled:
            return "адаптер отверг запрос";
        case EUsbStatus::Gone:
            return "адаптер отключён";
        case EUsbStatus::Denied:
            return "нет доступа к адаптеру (нужно правило udev из пакета)";
        case EUsbStatus::Busy:
            return "адаптер занят другой программой";
        case EUsbStatus::Failed:
            break;
    }
    return "ошибка обмена с адаптером";
}

std::string IdText(std::uint16_t vendor, std::uint16_t product) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

std::optional<long> AfterEmptyBulkIn(IUsbDevice& device, std::uint8_t endpoint, EUsbStatus status,
                                     Deadline deadline, EUsbStatus& failure) {
    switch (status) {
        case EUsbStatus::Ok:
            break;
        case EUsbStatus::TimedOut:
            return 0;
        case EUsbStatus::Stalled:
            if (const EUsbStatus cleared = device.ClearHalt(endpoint); cleared != EUsbStatus::Ok) {
                failure = cleared;
                return -1;
            }
            break;
        default:
            failure = status;
            return -1;
    }
    if (LinkClock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::nullopt;
}

}  // namespace usb
