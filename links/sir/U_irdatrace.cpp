#include "U_irdatrace.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "U_fileio.h"

namespace sir {

namespace {

constexpr std::uint32_t kPcapMagic = 0xA1B2C3D4;
constexpr std::uint32_t kSnapLength = 65535;
// The pseudo-header: packet type (0 received, 4 sent by this host), the hardware type of an
// IrDA device, an unused address, and the IrDA protocol number; all big-endian.
constexpr std::uint16_t kReceived = 0;
constexpr std::uint16_t kSent = 4;
constexpr std::uint16_t kHardwareIrda = 783;
constexpr std::uint16_t kProtocolIrda = 0x0017;

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutBe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

std::unique_ptr<CIrdaTrace> CIrdaTrace::Create(const std::string& path, std::string* problem) {
    const auto refuse = [&](const fileio::SWriteResult& result) {
        if (problem)
            *problem = "Протокол обмена не записывается: " + fileio::WriteProblemText(path, result);
        return nullptr;
    };
    fileio::SWriteResult result;
    // The frames carry the radio's parameters: for this user alone.
    const int fd = fileio::CreateStreamFile(path, 0600, result);
    if (fd < 0) return refuse(result);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        return refuse({fileio::EWriteProblem::Failed, errno});
    }
    std::unique_ptr<CIrdaTrace> trace(new CIrdaTrace(file));
    std::vector<std::uint8_t> header;
    PutLe(header, kPcapMagic, 4);
    PutLe(header, 2, 2);  // version 2.4
    PutLe(header, 4, 2);
    PutLe(header, 0, 4);  // time zone
    PutLe(header, 0, 4);  // accuracy
    PutLe(header, kSnapLength, 4);
    PutLe(header, kLinkTypeLinuxIrda, 4);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size() ||
        std::fflush(file) != 0)
        return refuse({fileio::EWriteProblem::Failed, errno});
    return trace;
}

std::unique_ptr<CIrdaTrace> CIrdaTrace::FromEnvironment(std::string* problem) {
    const char* path = std::getenv("TESSEL_IRDA_TRACE");
    if (!path || !*path) return nullptr;
    return Create(path, problem);
}

void CIrdaTrace::Record(std::span<const std::uint8_t> frame, bool sent) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    const auto length = static_cast<std::uint32_t>(kIrdaPseudoHeaderSize + frame.size());
    std::vector<std::uint8_t> record;
    record.reserve(16 + length);
    PutLe(record, static_cast<std::uint32_t>(micros / 1000000), 4);
    PutLe(record, static_cast<std::uint32_t>(micros % 1000000), 4);
    PutLe(record, length, 4);
    PutLe(record, length, 4);
    PutBe16(record, sent ? kSent : kReceived);
    PutBe16(record, kHardwareIrda);
    PutBe16(record, 0);  // address length
    record.insert(record.end(), 8, 0);
    PutBe16(record, kProtocolIrda);
    record.insert(record.end(), frame.begin(), frame.end());
    std::fwrite(record.data(), 1, record.size(), file_.get());
    std::fflush(file_.get());
}

}  // namespace sir
