#pragma once
// The module object every plug-in offers: one radio, its parameter set, its view, and the
// recogniser and exchange objects. A model supplies only what differs.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "U_exchange.h"
#include "U_radioware.h"

class CRadioWare;

// The model's editing view. The logic libraries have no windows: the plug-in supplies the
// view through a factory, and the ware creates it on the first GetView.
class CRadioView {
  public:
    virtual ~CRadioView() = default;
    virtual QWidget* Widget() = 0;
    // Refills the view from the ware's attached parameter set.
    virtual void Refresh() = 0;
};
using RadioViewFactory = std::function<std::unique_ptr<CRadioView>(CRadioWare&)>;

class CRadioWare : public IRadioWare, public IQualifierModule {
  public:
    CRadioWare(CRadio& radio, std::string description, std::string version);
    CRadioWare(const CRadioWare&) = delete;
    CRadioWare& operator=(const CRadioWare&) = delete;
    virtual ~CRadioWare();

    std::string Description() const override { return description_; }
    std::string Version() const override { return version_; }
    int LinkKinds() const override;
    int RadioCount() const override { return 1; }
    IRadio* GetRadio(int index) override;
    bool AttachData(IRadio* radio, RadioDataNotifier notifier, void* context) override;
    QWidget* GetView() override;
    void UpdateView() override;
    void FreeView() override;
    IRadioQualifier* CreateQualifier(IRadio* radio) override;
    void ReleaseQualifier(IRadioQualifier* qualifier) override;
    IRadioRW* CreateRW(IRadio* radio, void* link) override;
    void ReleaseRW(IRadioRW* rw) override;
    bool ReservedQuery() override { return false; }

    CRadio& Radio() const { return radio_; }
    // The parameter set the view edits: the one last attached, null before any.
    CRadioData* AttachedData() const { return attached_; }
    CRadioData& EnsureData() override;
    void SetViewFactory(RadioViewFactory factory) { viewFactory_ = std::move(factory); }
    bool HasView() const { return view_ != nullptr; }

  protected:
    virtual std::unique_ptr<CRadioData> NewData(CRadio& radio) = 0;
    virtual std::unique_ptr<CRadioQualifier> NewQualifier(CRadio& radio) = 0;
    virtual std::unique_ptr<CRadioRW> NewRW(CRadio& radio, void* link) = 0;

  private:
    bool Owns(const IRadio* radio) const;
    void DropData();

    CRadio& radio_;
    std::string description_;
    std::string version_;
    std::unique_ptr<CRadioData> data_;
    CRadioData* attached_ = nullptr;
    RadioViewFactory viewFactory_;
    std::unique_ptr<CRadioView> view_;
    // Recognisers and exchange objects handed out and not yet given back. Only objects found
    // here are destroyed on release, so a foreign or stale pointer is ignored.
    std::vector<std::unique_ptr<CRadioQualifier>> liveQualifiers_;
    std::vector<std::unique_ptr<CRadioRW>> liveRWs_;
};

// A module of one IrDA model: its parameter set, recogniser and exchange classes.
template <class Data, class Qualifier, class RW>
class TRadioWareOf : public CRadioWare {
  public:
    using CRadioWare::CRadioWare;

  protected:
    std::unique_ptr<CRadioData> NewData(CRadio& radio) override {
        return std::make_unique<Data>(radio);
    }
    std::unique_ptr<CRadioQualifier> NewQualifier(CRadio& radio) override {
        return std::make_unique<Qualifier>(radio, *this);
    }
    std::unique_ptr<CRadioRW> NewRW(CRadio& radio, void* link) override {
        return std::make_unique<RW>(radio, *static_cast<IRadioSocket*>(link));
    }
};

// The plug-in's single ware object behind _GetRadioWare and _ReleaseRadioWare.
template <class Ware>
class CWareSingleton {
  public:
    static Ware* Get() {
        if (!slot()) slot() = std::make_unique<Ware>();
        return slot().get();
    }
    static void Release() { slot().reset(); }

  private:
    static std::unique_ptr<Ware>& slot() {
        static std::unique_ptr<Ware> ware;
        return ware;
    }
};
