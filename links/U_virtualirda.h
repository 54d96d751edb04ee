#pragma once
// The virtual infrared neighbourhood: every radio in range listens on a SOCK_SEQPACKET Unix
// socket in one directory, named by its device identifier (eight hex digits) and its name:
// "0000ABCD-ALDER". Enumeration lists the sockets something listens on, oldest first; connecting
// opens one.
// Records keep their boundaries, so the 62-byte packet mode travels as real packets.

#include <filesystem>
#include <string>
#include <vector>

#include "U_irdaplatform.h"

// TESSEL_IRDA_DIR, else "tessel-irda" under $XDG_RUNTIME_DIR, else /tmp/tessel-irda-<uid>.
std::filesystem::path DefaultIrdaDirectory();

// Makes the default folder when it is missing, for the user alone (0700). Anyone who can write
// there can plant a "radio" that receives writes, so a folder that is not a directory, that
// belongs to another user or that others may enter is refused: the reason, or "" when usable.
std::string PrepareIrdaFolder(const std::filesystem::path& folder);

struct SVirtualDevice {
    std::array<std::uint8_t, 4> id{};
    std::string name;
    std::filesystem::path path;
};

// The socket file name of a device, and the device a file name stands for.
std::string VirtualDeviceFileName(std::uint32_t id, const std::string& name);
std::vector<SVirtualDevice> ListVirtualDevices(const std::filesystem::path& directory);

class CVirtualIrda final : public IIrdaPlatform {
  public:
    explicit CVirtualIrda(std::filesystem::path directory);
    ~CVirtualIrda() override;
    CVirtualIrda(const CVirtualIrda&) = delete;
    CVirtualIrda& operator=(const CVirtualIrda&) = delete;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) override;
    bool QueryService(const SIrdaAddress& address, const std::string& attribute) override;
    bool SetTinyTP(bool on) override;
    bool Connect(const SIrdaAddress& address, Deadline deadline) override;
    void DiscardPending() override;
    long Send(std::span<const std::uint8_t> data, Deadline deadline) override;
    long Receive(std::span<std::uint8_t> buffer, Deadline deadline) override;

    const std::filesystem::path& Directory() const { return directory_; }

  private:
    const SVirtualDevice* Find(const std::array<std::uint8_t, 4>& id);

    std::filesystem::path directory_;
    int fd_ = -1;
    std::vector<SVirtualDevice> lastSeen_;
};
