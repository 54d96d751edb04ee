#include "U_libusb.h"

#include <libusb.h>

#include <algorithm>
#include <fstream>

namespace usb {

namespace {

EUsbStatus StatusOf(int code) {
    switch (code) {
        case LIBUSB_SUCCESS:
            return EUsbStatus::Ok;
        case LIBUSB_ERROR_TIMEOUT:
            return EUsbStatus::TimedOut;
        case LIBUSB_ERROR_PIPE:
            return EUsbStatus::Stalled;
        case LIBUSB_ERROR_NO_DEVICE:
        case LIBUSB_ERROR_NOT_FOUND:
            return EUsbStatus::Gone;
        case LIBUSB_ERROR_ACCESS:
            return EUsbStatus::Denied;
        case LIBUSB_ERROR_BUSY:
            return EUsbStatus::Busy;
        default:
            return EUsbStatus::Failed;
    }
}

// libusb's timeout for what is left until the deadline; 0 would mean "wait for ever".
unsigned TimeoutUntil(Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - LinkClock::now()).count();
    return static_cast<unsigned>(std::clamp<long long>(left, 1, 60'000));
}

std::string BusPath(libusb_device* device) {
    std::uint8_t ports[8];
    const int count = libusb_get_port_numbers(device, ports, sizeof ports);
    std::string path = std::to_string(libusb_get_bus_number(device));
    if (count <= 0) return path + "-0";  // a root hub
    for (int i = 0; i < count; ++i) path += (i == 0 ? "-" : ".") + std::to_string(ports[i]);
    return path;
}

std::string SysfsLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

SUsbDeviceInfo Describe(libusb_device* device, const std::filesystem::path& sysRoot) {
    SUsbDeviceInfo info;
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != 0) return info;
    info.vendor = descriptor.idVendor;
    info.product = descriptor.idProduct;
    info.busPath = BusPath(device);
    const auto folder = sysRoot / "bus" / "usb" / "devices" / info.busPath;
    info.manufacturer = SysfsLine(folder / "manufacturer");
    info.productName = SysfsLine(folder / "product");
    info.serial = SysfsLine(folder / "serial");
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 &&
        libusb_get_config_descriptor(device, 0, &config) != 0)
        return info;
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        if (config->interface[i].num_altsetting < 1) continue;
        const libusb_interface_descriptor& alt = config->interface[i].altsetting[0];
        SUsbInterface interface;
        interface.number = alt.bInterfaceNumber;
        interface.interfaceClass = alt.bInterfaceClass;
        interface.subclass = alt.bInterfaceSubClass;
        for (int e = 0; e < alt.bNumEndpoints; ++e)
            interface.endpoints.push_back({alt.endpoint[e].bEndpointAddress,
                                           alt.endpoint[e].bmAttributes,
                                           alt.endpoint[e].wMaxPacketSize});
        if (alt.extra && alt.extra_length > 0)
            interface.extra.assign(alt.extra, alt.extra + alt.extra_length);
        info.interfaces.push_back(std::move(interface));
    }
    libusb_free_config_descriptor(config);
    return info;
}

struct SContextDeleter {
    void operator()(libusb_context* context) const { libusb_exit(context); }
};
using Context = std::shared_ptr<libusb_context>;

class CLibusbDevice final : public IUsbDevice {
  public:
    CLibusbDevice(Context context, libusb_device_handle* handle, SUsbDeviceInfo info)
        : context_(std::move(context)), handle_(handle), info_(std::move(info)) {
        // The old kernel drivers, where a system still has them, give the interface up.
        libusb_set_auto_detach_kernel_driver(handle_, 1);
    }
    ~CLibusbDevice() override {
        for (const int interface : claimed_) libusb_release_interface(handle_, interface);
        libusb_close(handle_);
    }
    CLibusbDevice(const CLibusbDevice&) = delete;
    CLibusbDevice& operator=(const CLibusbDevice&) = delete;

    const SUsbDeviceInfo& Info() const override { return info_; }

    EUsbStatus Claim(std::uint8_t interface) override {
        const EUsbStatus status = StatusOf(libusb_claim_interface(handle_, interface));
        if (status == EUsbStatus::Ok) claimed_.push_back(interface);
        return status;
    }

    void Release(std::uint8_t interface) override {
        const auto held = std::ranges::find(claimed_, interface);
        if (held == claimed_.end()) return;
        libusb_release_interface(handle_, interface);
        claimed_.erase(held);
    }

    SUsbResult Control(const SUsbSetup& setup, std::span<std::uint8_t> data,
                       Deadline deadline) override {
        const int n = libusb_control_transfer(
            handle_, setup.requestType, setup.request, setup.value, setup.index, data.data(),
            static_cast<std::uint16_t>(data.size()), TimeoutUntil(deadline));
        if (n < 0) return {StatusOf(n), 0};
        return {EUsbStatus::Ok, static_cast<std::size_t>(n)};
    }

    SUsbResult BulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data,
                       Deadline deadline) override {
        return Bulk(endpoint, const_cast<std::uint8_t*>(data.data()), data.size(), deadline);
    }

    SUsbResult BulkIn(std::uint8_t endpoint, std::span<std::uint8_t> buffer,
                      Deadline deadline) override {
        return Bulk(endpoint, buffer.data(), buffer.size(), deadline);
    }

    EUsbStatus ClearHalt(std::uint8_t endpoint) override {
        return StatusOf(libusb_clear_halt(handle_, endpoint));
    }

  private:
    SUsbResult Bulk(std::uint8_t endpoint, std::uint8_t* data, std::size_t size,
                    Deadline deadline) {
        int moved = 0;
        const int code = libusb_bulk_transfer(handle_, endpoint, data, static_cast<int>(size),
                                              &moved, TimeoutUntil(deadline));
        return {StatusOf(code), static_cast<std::size_t>(std::max(moved, 0))};
    }

    Context context_;
    libusb_device_handle* handle_;
    SUsbDeviceInfo info_;
    std::vector<int> claimed_;
};

class CLibusbBus final : public IUsbBus {
  public:
    CLibusbBus(Context context, std::filesystem::path sysRoot)
        : context_(std::move(context)), sysRoot_(std::move(sysRoot)) {}

    std::vector<SUsbDeviceInfo> Devices() override {
        std::vector<SUsbDeviceInfo> devices;
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(context_.get(), &list);
        for (ssize_t i = 0; i < count; ++i) devices.push_back(Describe(list[i], sysRoot_));
        if (list) libusb_free_device_list(list, 1);
        return devices;
    }

    std::unique_ptr<IUsbDevice> Open(const SUsbDeviceInfo& info, EUsbStatus& status) override {
        status = EUsbStatus::Gone;
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(context_.get(), &list);
        std::unique_ptr<IUsbDevice> opened;
        for (ssize_t i = 0; i < count && !opened && status == EUsbStatus::Gone; ++i) {
            libusb_device_descriptor descriptor{};
            if (BusPath(list[i]) != info.busPath ||
                libusb_get_device_descriptor(list[i], &descriptor) != 0 ||
                descriptor.idVendor != info.vendor || descriptor.idProduct != info.product)
                continue;
            libusb_device_handle* handle = nullptr;
            status = StatusOf(libusb_open(list[i], &handle));
            if (status == EUsbStatus::Ok)
                opened =
                    std::make_unique<CLibusbDevice>(context_, handle, Describe(list[i], sysRoot_));
        }
        if (list) libusb_free_device_list(list, 1);
        return opened;
    }

  private:
    Context context_;
    std::filesystem::path sysRoot_;
};

}  // namespace

std::unique_ptr<IUsbBus> MakeLibusbBus(const std::filesystem::path& sysRoot) {
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return nullptr;
    return std::make_unique<CLibusbBus>(Context(context, SContextDeleter{}), sysRoot);
}

}  // namespace usb
