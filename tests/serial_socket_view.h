#pragma once
// A test model's two-bank exchange over the serial link: the serial operations seen through the
// infrared ones that the shared exchange steps use.

#include <span>
#include <string>

#include "U_exchange.h"
#include "U_radiolinks.h"
#include "U_radioserial.h"

namespace testlinks {

// The serial link seen through the infrared operations the shared exchange steps use. The
// serial radio has no clock command.
class CSerialInfoView final : public IRadioInfo {
  public:
    CSerialInfoView(IDeviceInfo& device, int bank) : device_(device), bank_(bank) {}
    std::string FW() const override { return device_.FW(); }
    std::string SN() const override { return {}; }
    int BankFlag() const override { return bank_; }
    int RangeCount() const override { return CDeviceInfo::kRanges; }
    int RangeEdge(int index, int edge) const override { return device_.RangeEdge(index, edge); }

  private:
    IDeviceInfo& device_;
    int bank_;
};

class CSerialSocketView final : public IRadioSocket {
  public:
    CSerialSocketView(IRadioSerial& serial, int bank)
        : serial_(serial), info_(*serial.GetInfo(), bank) {}
    IRadioInfo* GetInfo() override { return &info_; }
    bool SetClock() override { return true; }
    bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) override {
        return serial_.GetSegment(segment, destination);
    }
    bool PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) override {
        return serial_.PutSegment(segment, source);
    }
    bool ReleaseSegment(std::uint16_t segment) override { return serial_.ReleaseSegment(segment); }
    bool EndSession() override { return serial_.EndSession(); }

  private:
    IRadioSerial& serial_;
    CSerialInfoView info_;
};

// The view must be built before the exchange that holds a reference to it.
struct SSerialViewHolder {
    SSerialViewHolder(IRadioSerial& serial, int bank) : view_(serial, bank) {}
    CSerialSocketView view_;
};

class CSerialTwoBankRW final : private SSerialViewHolder, public CTwoBankRW {
  public:
    CSerialTwoBankRW(CRadio& radio, IRadioSerial& serial, int bank)
        : SSerialViewHolder(serial, bank), CTwoBankRW(radio, view_) {}
};

}  // namespace testlinks
