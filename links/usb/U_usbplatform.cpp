#include "U_usbplatform.h"

#include "U_irdabridge.h"
#include "U_libusb.h"
#include "U_mcs7780.h"
#include "U_stir4200.h"
#include "sir/U_irlap.h"

namespace usb {

namespace {

using namespace std::chrono_literals;

// Setting the adapter up takes a few control transfers.
constexpr auto kStartLimit = 2000ms;

std::string Named(const SUsbAdapter& adapter) {
    return KindName(adapter.kind) + " (" + adapter.Selector() + ")";
}

// One adapter in use: its device, the driver on it and the line IrLAP runs on.
class CUsbMedium final : public sir::ILapMedium {
  public:
    CUsbMedium(std::string port, BusFactory bus) : port_(std::move(port)), bus_(std::move(bus)) {}
    ~CUsbMedium() override { Close(); }
    CUsbMedium(const CUsbMedium&) = delete;
    CUsbMedium& operator=(const CUsbMedium&) = delete;

    bool Open(std::string& problem) override {
        Close();
        lastProblem_.clear();
        const auto selector = ParseUsbSelector(port_);
        if (!selector) {
            problem = "ИК-адаптер «" + port_ +
                      "» не понят: ожидается usb, usb:VID:PID или usb:VID:PID@ШИНА-ПОРТ";
            return false;
        }
        std::unique_ptr<IUsbBus> bus = bus_ ? bus_() : nullptr;
        const std::vector<SUsbAdapter> found =
            bus ? ListUsbAdapters(*bus) : std::vector<SUsbAdapter>{};
        const SUsbAdapter* chosen = nullptr;
        for (const SUsbAdapter& adapter : found)
            if (selector->Matches(adapter.info)) {
                chosen = &adapter;
                break;
            }
        if (!chosen) {
            problem = "ИК-адаптер USB " + selector->Text() + " не найден: подключите его";
            return false;
        }
        adapter_ = *chosen;
        EUsbStatus status = EUsbStatus::Failed;
        device_ = bus->Open(adapter_.info, status);
        if (!device_) {
            problem = "ИК-адаптер " + Named(adapter_) + " не открыт: " + StatusText(status);
            return false;
        }
        bus_held_ = std::move(bus);
        status = StartDriver(LinkClock::now() + kStartLimit);
        if (status != EUsbStatus::Ok) {
            problem = "ИК-адаптер " + Named(adapter_) + " не запустился: " + StatusText(status);
            Close();
            return false;
        }
        return true;
    }

    sir::ILapLine& StartLine(sir::CIrdaTrace* trace) override {
        if (bridge_) {
            bridge_->SetTrace(trace);
            return *bridge_;
        }
        line_ = std::make_unique<sir::CSirLine>(*bytes_, trace);
        return *line_;
    }

    void Close() override {
        // An adapter that went away is still to be told after the stack has closed.
        if (const std::string live = LiveProblem(); !live.empty()) lastProblem_ = live;
        line_.reset();
        if (stir_) stir_->Stop();
        if (mcs_) mcs_->Stop();
        if (bridge_) bridge_->Stop();
        stir_.reset();
        mcs_.reset();
        bridge_.reset();
        bytes_ = nullptr;
        device_.reset();
        bus_held_.reset();
    }

    bool IsOpen() const override { return device_ != nullptr; }

    void Offer(sir::SPrimaryConfig& config) const override {
        if (bridge_) bridge_->Offer(config);
    }

    std::string Problem() const override {
        const std::string live = LiveProblem();
        return live.empty() ? lastProblem_ : live;
    }

  private:
    std::string LiveProblem() const {
        const EUsbStatus failure = stir_     ? stir_->LastFailure()
                                   : mcs_    ? mcs_->LastFailure()
                                   : bridge_ ? bridge_->LastFailure()
                                             : EUsbStatus::Ok;
        if (failure != EUsbStatus::Gone) return {};
        return "ИК-адаптер " + Named(adapter_) + " отключён";
    }

    EUsbStatus StartDriver(Deadline deadline) {
        switch (adapter_.kind) {
            case EAdapterKind::Stir4200:
                stir_ = std::make_unique<CStir4200>(*device_);
                bytes_ = stir_.get();
                return stir_->Start(deadline);
            case EAdapterKind::Mcs7780:
                mcs_ = std::make_unique<CMcs7780>(*device_);
                bytes_ = mcs_.get();
                return mcs_->Start(deadline);
            case EAdapterKind::IrdaBridge:
                bridge_ = std::make_unique<CIrdaBridgeLine>(*device_, nullptr);
                return bridge_->Start(deadline);
        }
        return EUsbStatus::Failed;
    }

    std::string port_;
    BusFactory bus_;
    std::unique_ptr<IUsbBus> bus_held_;
    SUsbAdapter adapter_;
    std::unique_ptr<IUsbDevice> device_;
    std::unique_ptr<CStir4200> stir_;
    std::unique_ptr<CMcs7780> mcs_;
    std::unique_ptr<CIrdaBridgeLine> bridge_;
    sir::ISirBytes* bytes_ = nullptr;
    std::unique_ptr<sir::CSirLine> line_;
    std::string lastProblem_;
};

}  // namespace

BusFactory HostBus() {
    return [] { return MakeLibusbBus(); };
}

std::string SUsbAdapter::Selector() const {
    return "usb:" + IdText(info.vendor, info.product) + "@" + info.busPath;
}

std::string SUsbAdapter::Summary() const {
    std::string text =
        KindName(kind) + " " + IdText(info.vendor, info.product) + " bus " + info.busPath;
    if (!info.serial.empty()) text += " serial " + info.serial;
    std::string names = info.manufacturer;
    if (!info.productName.empty()) names += (names.empty() ? "" : " ") + info.productName;
    if (!names.empty()) text += " (" + names + ")";
    return text;
}

std::vector<SUsbAdapter> ListUsbAdapters(IUsbBus& bus) {
    std::vector<SUsbAdapter> adapters;
    for (SUsbDeviceInfo& info : bus.Devices())
        if (const auto kind = AdapterKindOf(info)) adapters.push_back({std::move(info), *kind});
    return adapters;
}

std::vector<SUsbAdapter> ListUsbAdapters() {
    const std::unique_ptr<IUsbBus> bus = MakeLibusbBus();
    return bus ? ListUsbAdapters(*bus) : std::vector<SUsbAdapter>{};
}

std::unique_ptr<sir::ILapMedium> MakeUsbMedium(const std::string& port, BusFactory bus) {
    return std::make_unique<CUsbMedium>(port, std::move(bus));
}

std::unique_ptr<IIrdaPlatform> MakeUsbIrdaPlatform(const std::string& port,
                                                   const SSirSettings& settings, BusFactory bus) {
    return MakeLapIrdaPlatform(MakeUsbMedium(port, std::move(bus)), settings);
}

}  // namespace usb
