#pragma once
// The Linux IrDA socket interface as the irda module exposes it to programs. Current kernel
// headers no longer carry it, so the program defines the few numbers and records it uses. The
// layouts are the kernel's, fixed by the C structures of that interface; the static checks
// below keep them from drifting.

#include <cstddef>
#include <cstdint>

namespace kirda {

inline constexpr int kAddressFamily = 23;  // AF_IRDA
inline constexpr int kOptionLevel = 266;   // SOL_IRLMP

// Option names at that level (getsockopt).
inline constexpr int kEnumDevices = 1;  // the discovery log
inline constexpr int kIasQuery = 3;     // one attribute from a remote information base
inline constexpr int kWaitDevice = 11;  // blocks until a new device is discovered, in ms

inline constexpr std::uint8_t kLsapAny = 0xFF;

// Every device in the kernel's discovery log, whatever its hints, one text entry each:
// "nickname: NAME, hint: 0xHHHH, saddr: 0xXXXXXXXX, daddr: 0xXXXXXXXX".
inline constexpr const char* kDiscoveryFile = "/proc/net/irda/discovery";

// Attribute value types in an information-base answer.
inline constexpr std::uint32_t kIasMissing = 0;
inline constexpr std::uint32_t kIasInteger = 1;

inline constexpr std::size_t kServiceNameSize = 25;
inline constexpr std::size_t kDeviceNameSize = 22;
inline constexpr std::size_t kIasClassSize = 64;
inline constexpr std::size_t kIasAttributeSize = 256;
inline constexpr std::size_t kIasOctetsSize = 1024;
inline constexpr std::size_t kIasStringSize = 256;

// The connect address. With a service name the kernel looks the name up in the device's
// information base itself and connects to its TinyTP selector.
struct SSocketAddress {
    std::uint16_t family;
    std::uint8_t lsapSelector;
    std::uint32_t device;
    char serviceName[kServiceNameSize];
};
static_assert(sizeof(SSocketAddress) == 36);
static_assert(offsetof(SSocketAddress, lsapSelector) == 2);
static_assert(offsetof(SSocketAddress, device) == 4);
static_assert(offsetof(SSocketAddress, serviceName) == 8);

// One entry of the discovery log; the log is a 32-bit count followed by these.
struct SDeviceInfo {
    std::uint32_t localAddress;
    std::uint32_t device;
    char name[kDeviceNameSize];
    std::uint8_t charset;
    std::uint8_t hints[2];
};
static_assert(sizeof(SDeviceInfo) == 36);
static_assert(offsetof(SDeviceInfo, device) == 4);
static_assert(offsetof(SDeviceInfo, name) == 8);
static_assert(offsetof(SDeviceInfo, charset) == 30);
static_assert(offsetof(SDeviceInfo, hints) == 31);

inline constexpr std::size_t kDeviceListHeader = 4;

// The information-base query record: the caller fills class, attribute and device; the kernel
// fills the type and the value.
struct SIasRecord {
    char className[kIasClassSize];
    char attributeName[kIasAttributeSize];
    std::uint32_t type;
    union {
        std::uint32_t integer;
        struct {
            std::uint16_t length;
            std::uint8_t bytes[kIasOctetsSize];
        } octets;
        struct {
            std::uint8_t length;
            std::uint8_t charset;
            std::uint8_t text[kIasStringSize];
        } string;
    } value;
    std::uint32_t device;
};
static_assert(sizeof(SIasRecord) == 1356);
static_assert(offsetof(SIasRecord, attributeName) == 64);
static_assert(offsetof(SIasRecord, type) == 320);
static_assert(offsetof(SIasRecord, value) == 324);
static_assert(offsetof(SIasRecord, device) == 1352);

}  // namespace kirda
