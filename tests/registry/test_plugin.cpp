// A plug-in for the registry tests. Its behaviour is chosen when it is built:
//   TP_NORMAL      a module "TP_DESCRIPTION" with one radio
//   TP_NULL_WARE   _GetRadioWare returns no object
//   TP_THROWS      _GetRadioWare throws
//   TP_THROWS_ON_LOAD  the library's static initialisation throws
//   TP_NO_EXPORT   only _ReleaseRadioWare is exported
// Releasing appends the description to the file named by TESSEL_TEST_RELEASE_LOG.

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "fakes.h"

namespace {

class TestRadio final : public CRadio {
  public:
    TestRadio() : CRadio("00", TP_DESCRIPTION, 145000000, 175000000, "tp") {}
    IRadioWare* Ware() const override;
};

TestRadio radio;

class TestWare final : public CRadioWare {
  public:
    TestWare() : CRadioWare(radio, TP_DESCRIPTION, TP_VERSION) {}
    ~TestWare() override {
        if (const char* log = std::getenv("TESSEL_TEST_RELEASE_LOG"))
            std::ofstream(log, std::ios::app) << TP_DESCRIPTION << '\n';
    }

  protected:
    std::unique_ptr<CRadioData> NewData(CRadio& r) override {
        return std::make_unique<fake::Data>(r);
    }
    std::unique_ptr<CRadioQualifier> NewQualifier(CRadio&) override { return nullptr; }
    std::unique_ptr<CRadioRW> NewRW(CRadio&, void*) override { return nullptr; }
};

IRadioWare* TestRadio::Ware() const {
    return CWareSingleton<TestWare>::Get();
}

#ifdef TP_THROWS_ON_LOAD
struct SThrowsOnLoad {
    SThrowsOnLoad() { throw std::runtime_error("the library cannot initialise"); }
} throwsOnLoad;
#endif

}  // namespace

#ifndef TP_NO_EXPORT
TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
#if defined(TP_NULL_WARE)
    return nullptr;
#elif defined(TP_THROWS)
    throw std::runtime_error("the module cannot start");
#else
    return CWareSingleton<TestWare>::Get();
#endif
}
#endif

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<TestWare>::Release();
}
