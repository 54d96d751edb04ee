#include "U_usbadapters.h"

#include <algorithm>
#include <charconv>

namespace usb {

namespace {

bool IsFirmwareBridge(const SUsbDeviceInfo& info) {
    return info.vendor == kFirmwareBridgeVendor &&
           std::ranges::find(kFirmwareBridgeProducts, info.product) !=
               std::end(kFirmwareBridgeProducts);
}

std::optional<std::uint16_t> ParseHex16(std::string_view text) {
    if (text.size() != 4) return std::nullopt;
    std::uint16_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "1-2", "3-1.4.2": a bus number, a dash, port numbers joined by dots.
bool IsBusPath(std::string_view path) {
    const auto dash = path.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == path.size()) return false;
    const auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::ranges::all_of(part, [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(path.substr(0, dash))) return false;
    std::string_view ports = path.substr(dash + 1);
    for (;;) {
        const auto dot = ports.find('.');
        if (!digits(ports.substr(0, dot))) return false;
        if (dot == std::string_view::npos) return true;
        ports.remove_prefix(dot + 1);
    }
}

}  // namespace

const SUsbInterface* BridgeInterface(const SUsbDeviceInfo& info) {
    if (IsFirmwareBridge(info)) return nullptr;
    for (const SUsbInterface& interface : info.interfaces)
        if (interface.interfaceClass == kBridgeClass && interface.subclass == kBridgeSubclass)
            return &interface;
    return nullptr;
}

std::optional<EAdapterKind> AdapterKindOf(const SUsbDeviceInfo& info) {
    for (const SKnownAdapter& known : kKnownAdapters)
        if (known.vendor == info.vendor && known.product == info.product) return known.kind;
    if (BridgeInterface(info)) return EAdapterKind::IrdaBridge;
    return std::nullopt;
}

std::string KindName(EAdapterKind kind) {
    for (const SKnownAdapter& known : kKnownAdapters)
        if (known.kind == kind) return known.name;
    return "USB IrDA bridge";
}

bool SUsbSelector::Matches(const SUsbDeviceInfo& info) const {
    if (!AdapterKindOf(info)) return false;
    if (vendor && *vendor != info.vendor) return false;
    if (product && *product != info.product) return false;
    return busPath.empty() || busPath == info.busPath;
}

std::string SUsbSelector::Text() const {
    std::string text = "usb";
    if (vendor && product) text += ":" + IdText(*vendor, *product);
    if (!busPath.empty()) text += "@" + busPath;
    return text;
}

bool IsUsbPortName(const std::string& port) {
    return port == "usb" || port.starts_with("usb:") || port.starts_with("usb@");
}

std::optional<SUsbSelector> ParseUsbSelector(const std::string& text) {
    if (!IsUsbPortName(text)) return std::nullopt;
    SUsbSelector selector;
    std::string_view rest = std::string_view(text).substr(3);
    if (const auto at = rest.find('@'); at != std::string_view::npos) {
        selector.busPath = std::string(rest.substr(at + 1));
        if (!IsBusPath(selector.busPath)) return std::nullopt;
        rest = rest.substr(0, at);
    }
    if (rest.empty()) return selector;
    // ":VID:PID"
    if (rest.size() != 10 || rest[0] != ':' || rest[5] != ':') return std::nullopt;
    selector.vendor = ParseHex16(rest.substr(1, 4));
    selector.product = ParseHex16(rest.substr(6, 4));
    if (!selector.vendor || !selector.product) return std::nullopt;
    return selector;
}

const SUsbDeviceInfo* ChooseAdapter(const std::vector<SUsbDeviceInfo>& devices,
                                    const SUsbSelector& selector) {
    for (const SUsbDeviceInfo& device : devices)
        if (selector.Matches(device)) return &device;
    return nullptr;
}

}  // namespace usb
