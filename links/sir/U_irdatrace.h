#pragma once
// A protocol trace: every IrLAP frame in both directions, as a pcap file of the Linux IrDA link
// type that Wireshark and tshark decode. Each record is flushed at once, so a trace of a program
// that died is readable up to its last frame.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace sir {

inline constexpr std::uint32_t kLinkTypeLinuxIrda = 144;
inline constexpr std::size_t kIrdaPseudoHeaderSize = 16;

class CIrdaTrace {
  public:
    // Null when the file cannot be written: a directory, device or FIFO is refused without
    // waiting for a reader; why, for a person, in *problem when asked for.
    static std::unique_ptr<CIrdaTrace> Create(const std::string& path,
                                              std::string* problem = nullptr);
    // TESSEL_IRDA_TRACE; null when it is not set or cannot be written.
    static std::unique_ptr<CIrdaTrace> FromEnvironment(std::string* problem = nullptr);

    void Record(std::span<const std::uint8_t> frame, bool sent);

  private:
    struct SCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    explicit CIrdaTrace(std::FILE* file) : file_(file) {}
    std::unique_ptr<std::FILE, SCloser> file_;
};

}  // namespace sir
