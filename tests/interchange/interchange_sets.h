#pragma once
// A fresh parameter set of each model, built from the models' libraries without plug-ins.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "U_alderware.h"
#include "U_birchware.h"
#include "U_cedarware.h"
#include "U_larchware.h"

class ISetHolder {
  public:
    virtual ~ISetHolder() = default;
    virtual CRadioData& Data() = 0;
};

template <class Radio, class Set>
class TSetHolder final : public ISetHolder {
  public:
    template <class... Args>
    explicit TSetHolder(Args&&... radioArgs) : radio_(std::forward<Args>(radioArgs)...) {}
    CRadioData& Data() override { return data_; }

  private:
    Radio radio_;
    Set data_{radio_};
};

struct SModelCase {
    std::string name;
    std::function<std::unique_ptr<ISetHolder>()> make;
};

inline std::vector<SModelCase> AllModels() {
    return {
        {"Alder", [] { return std::make_unique<TSetHolder<CAlder, CAlderData>>(); }},
        {"Birch", [] { return std::make_unique<TSetHolder<CBirch, CBirchData>>(BirchModel()); }},
        {"Cedar", [] { return std::make_unique<TSetHolder<CCedar, CCedarData>>(CedarModel()); }},
        {"Larch", [] { return std::make_unique<TSetHolder<CLarch, CLarchData>>(); }}};
}
