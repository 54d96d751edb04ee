#pragma once
// The kernel's IrDA sockets (the out-of-tree irda module), as an IrDA platform.
//
// Every connection these sockets make runs TinyTP: the kernel offers no connection on plain
// IrLMP. The packet mode, whose radio side is a plain IrLMP selector, is therefore refused here
// (SetTinyTP(false) fails) and needs the userspace stack on a serial adapter.

#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "U_irdaplatform.h"
#include "U_kernelcalls.h"
#include "U_kernelirdaabi.h"

// True when the running system creates a socket of the IrDA family.
bool KernelIrdaAvailable();
bool KernelIrdaAvailable(IKernelCalls& calls);
std::unique_ptr<IIrdaPlatform> MakeKernelIrdaPlatform();

// The entries of the kernel's discovery file (/proc/net/irda/discovery); lines it cannot read
// are passed over.
std::vector<kirda::SDeviceInfo> ParseDiscoveryFile(std::string_view text);

class CKernelIrda final : public IIrdaPlatform {
  public:
    // How long an enumeration that finds the discovery log empty waits for a device to appear:
    // one discovery period of the kernel.
    static constexpr std::chrono::milliseconds kDiscoveryWait{3000};
    // Time for one discovery of the kernel's (6 to 8 slots) between looks at the log.
    static constexpr std::chrono::milliseconds kWaitSlice{1000};
    // The information-base query, which the kernel does not limit; calls that do not wait.
    static constexpr std::chrono::milliseconds kQueryLimit{3000};
    static constexpr std::chrono::milliseconds kQuickCall{500};
    // At most as many log entries are read as the program's device list can hold.
    static constexpr std::size_t kMaxDevices = SIrdaDeviceList::kMaxRecords;

    explicit CKernelIrda(std::unique_ptr<IKernelCalls> calls);
    ~CKernelIrda() override;
    CKernelIrda(const CKernelIrda&) = delete;
    CKernelIrda& operator=(const CKernelIrda&) = delete;

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

  private:
    enum class EReady { Ready, TimedOut, HungUp, Failed };
    EReady WaitFor(short events, Deadline deadline);
    // The discovery log into buffer; its byte count, or the negated error.
    int ReadDiscoveryLog(std::span<std::uint8_t> buffer);
    // The enumeration and the discovery file together, each device once; count is the number
    // of devices known, which may exceed what the list holds. False when the kernel refused.
    bool ReadDevices(std::vector<kirda::SDeviceInfo>& devices, std::size_t& count);
    bool ConnectionMade(Deadline deadline);
    // A socket whose connection failed cannot be connected again: the next device gets a new
    // one.
    void Renew();

    std::unique_ptr<IKernelCalls> calls_;
    int fd_ = -1;
};
