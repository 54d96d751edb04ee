#pragma once
// The module object of a two-bank model: its parameter set, the recogniser with the model's
// converter rule, and the six-step exchange of the two banks.

#include <span>

#include "U_exchange.h"
#include "U_ware.h"

namespace twobank {
// The converter rule of a model whose radios report their converter at byte 64 of the probe.
inline constexpr int kConverterFromProbe = -1;
}  // namespace twobank

// ConverterType: the type every radio of the model carries (it does not report one), or
// kConverterFromProbe, where a value the probe does not name rejects the radio.
template <int ConverterType>
class TTwoBankQualifier final : public CTwoBankQualifier {
  public:
    using CTwoBankQualifier::CTwoBankQualifier;

  protected:
    bool ApplyConverterRule(std::span<const std::uint8_t> probe, CRadioData& data) override {
        int code = ConverterType;
        if (ConverterType == twobank::kConverterFromProbe && !ConverterCodeFromProbe(probe, code))
            return false;
        data.SetRadioConverterType(code);
        return true;
    }
};

template <class Data, int ConverterType>
using TTwoBankWare = TRadioWareOf<Data, TTwoBankQualifier<ConverterType>, CTwoBankRW>;
