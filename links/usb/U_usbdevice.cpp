#include "U_usbdevice.h"

#include <cstdio>

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

}  // namespace usb
