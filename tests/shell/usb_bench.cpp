#include "usb_bench.h"

#include "../usb/fake_usb.h"

SFakeUsbAdapter FakeStir4200(const std::string& line) {
    auto chip = std::make_shared<fakeusb::CFakeStir4200>(fakeusb::Stir4200Info(), line);
    const std::string selector =
        usb::SUsbAdapter{chip->Info(), usb::EAdapterKind::Stir4200}.Selector();
    return {fakeusb::BusOf({chip}), selector, [chip] { chip->pulledOut = true; }};
}
