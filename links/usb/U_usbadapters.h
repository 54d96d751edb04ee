#pragma once
// The USB infrared adapters the program drives itself, how each is recognised on the bus, and
// the user's choice of one: "usb" (the first found) or "usb:VID:PID[@BUS-PORT[.PORT...]]".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "U_usbdevice.h"

namespace usb {

enum class EAdapterKind {
    Stir4200,    // the host wraps SIR frames, the chip's registers set the rate
    Mcs7780,     // the host wraps SIR frames behind a length, vendor requests set the rate
    IrdaBridge,  // the USB IrDA bridge class: the adapter frames itself
};

struct SKnownAdapter {
    std::uint16_t vendor;
    std::uint16_t product;
    EAdapterKind kind;
    const char* name;
};

inline constexpr SKnownAdapter kKnownAdapters[] = {
    {0x066f, 0x4200, EAdapterKind::Stir4200, "SigmaTel STIr4200"},
    {0x9710, 0x7780, EAdapterKind::Mcs7780, "MosChip MCS7780"},
};

// The bridge class sits on an interface: application-specific class, IrDA bridge subclass.
inline constexpr std::uint8_t kBridgeClass = 0xFE;
inline constexpr std::uint8_t kBridgeSubclass = 0x02;

// The bridge parts that run only after a firmware file has been loaded into them.
inline constexpr std::uint16_t kFirmwareBridgeVendor = 0x066f;
inline constexpr std::uint16_t kFirmwareBridgeProducts[] = {0x4210, 0x4220, 0x4116};

// The bridge interface of a device, when it has one and is not a firmware part.
const SUsbInterface* BridgeInterface(const SUsbDeviceInfo& info);
std::optional<EAdapterKind> AdapterKindOf(const SUsbDeviceInfo& info);
// "SigmaTel STIr4200", "USB IrDA bridge".
std::string KindName(EAdapterKind kind);

struct SUsbSelector {
    std::optional<std::uint16_t> vendor;  // none: any supported adapter
    std::optional<std::uint16_t> product;
    std::string busPath;  // "": any

    bool Matches(const SUsbDeviceInfo& info) const;
    // "usb", "usb:066f:4200@1-2".
    std::string Text() const;
};

// True for a port name that asks for a USB adapter rather than a serial port.
bool IsUsbPortName(const std::string& port);
// Nothing when the text is not a well-formed choice.
std::optional<SUsbSelector> ParseUsbSelector(const std::string& text);

// The supported adapters among the devices, in the order found, with the first that the
// selector matches (or nullptr).
const SUsbDeviceInfo* ChooseAdapter(const std::vector<SUsbDeviceInfo>& devices,
                                    const SUsbSelector& selector);

}  // namespace usb
