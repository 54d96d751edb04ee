#include "U_irdaplatform.h"

#include <algorithm>

SIrdaAddress SIrdaAddress::ForService(const std::string& service) {
    SIrdaAddress address;
    address.bytes[0] = kIrdaAddressFamily & 0xFF;
    address.bytes[1] = kIrdaAddressFamily >> 8;
    const std::size_t n = std::min(service.size(), kServiceSize - 1);
    std::copy_n(service.begin(), n, address.bytes.begin() + kServiceOffset);
    return address;
}

void SIrdaAddress::SetDeviceId(std::span<const std::uint8_t, 4> id) {
    std::copy(id.begin(), id.end(), bytes.begin() + kIdOffset);
}

std::array<std::uint8_t, 4> SIrdaAddress::DeviceId() const {
    std::array<std::uint8_t, 4> id{};
    std::copy_n(bytes.begin() + kIdOffset, 4, id.begin());
    return id;
}

std::string SIrdaAddress::ServiceName() const {
    const auto* first = reinterpret_cast<const char*>(bytes.data() + kServiceOffset);
    const auto* last = std::find(first, first + kServiceSize, '\0');
    return std::string(first, last);
}

std::size_t SIrdaDeviceList::Start(std::span<std::uint8_t, kBufferSize> answer, std::size_t found) {
    std::fill(answer.begin(), answer.end(), 0);
    const auto count = static_cast<std::uint32_t>(found);
    for (int i = 0; i < 4; ++i) answer[i] = static_cast<std::uint8_t>(count >> (8 * i));
    return std::min(found, kMaxRecords);
}

std::uint8_t* SIrdaDeviceList::PutRecord(std::span<std::uint8_t, kBufferSize> answer, std::size_t r,
                                         std::span<const std::uint8_t, 4> id,
                                         const std::string& name) {
    std::uint8_t* record = answer.data() + kCountSize + r * kRecordSize;
    std::copy(id.begin(), id.end(), record);
    std::copy_n(name.begin(), std::min(name.size(), kNameSize - 1), record + 4);
    return record;
}
