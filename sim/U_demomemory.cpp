#include "U_demomemory.h"

#include <array>

#include "U_alderware.h"
#include "U_birchware.h"
#include "U_cedarware.h"
#include "U_larchware.h"
#include "U_modellists.h"

namespace sim {

namespace {

// Frequencies inside each model's band and its factory ranges, on the model's raster.
constexpr std::array kAlderCanals = {
    SDemoCanal{0, 145500000, 145500000, "", true},
    SDemoCanal{1, 145600000, 145000000, "88,5", true},
    SDemoCanal{2, 147250000, 147250000, "71,9", false},
    SDemoCanal{3, 165250000, 165250000, "", true},
    SDemoCanal{4, 168500000, 168500000, "123,0", true},
    SDemoCanal{5, 172000000, 172000000, "", false},
};
constexpr std::array kBirchCanals = {
    SDemoCanal{0, 40100000, 40100000, "", true},
    SDemoCanal{1, 41250000, 41250000, "88,5", true},
    SDemoCanal{2, 43500000, 43500000, "71,9", false},
    SDemoCanal{3, 45000000, 44000000, "", true},
    SDemoCanal{4, 48200000, 48200000, "123,0", true},
};
constexpr std::array kCedarCanals = {
    SDemoCanal{0, 136500000, 136500000, "", true},
    SDemoCanal{1, 150000000, 150000000, "88,5", true},
    SDemoCanal{2, 155500000, 155500000, "71,9", false},
    SDemoCanal{3, 162025000, 162025000, "", true},
    SDemoCanal{4, 171300000, 170700000, "123,0", true},
};
// Larch works on a 25 kHz raster.
constexpr std::array kLarchCanals = {
    SDemoCanal{0, 39500000, 39500000, "", true},
    SDemoCanal{1, 42000000, 42000000, "88,5", true},
    SDemoCanal{2, 44750000, 44750000, "71,9", false},
    SDemoCanal{3, 46100000, 46100000, "", true},
    SDemoCanal{4, 48900000, 48900000, "123,0", true},
};

template <class Canal>
void FillTwoBankCanal(Canal& canal, const SDemoCanal& demo, int toneCode) {
    canal.SetEnabled(true);
    canal.SetFRQ_PRM(demo.receiveHz);
    canal.SetFRQ_PRD(demo.transmitHz);
    canal.SetCSS_PRM(toneCode);
    canal.SetScanning(demo.scanning);
}

template <class Data, class Radio, class ToneCode>
std::vector<std::uint8_t> EncodeTwoBank(Radio& radio, std::span<const SDemoCanal> canals,
                                        ToneCode toneCode) {
    // A radio description of our own: the plug-in's may be in use by whoever runs us.
    Data data(radio);
    for (const SDemoCanal& demo : canals)
        FillTwoBankCanal(*data.Canal(demo.index), demo,
                         demo.tone.empty() ? 0 : toneCode(demo.tone));
    // The first channel of the scan list is watched first.
    for (const SDemoCanal& demo : canals) {
        if (demo.scanning) {
            data.SetPriorCanal(demo.index);
            break;
        }
    }
    std::vector<std::uint8_t> image(data.ImageSize(), 0xFF);
    data.EncodeImage(image);
    return image;
}

std::vector<std::uint8_t> EncodeLarch(std::span<const SDemoCanal> canals) {
    CLarch radio;
    CLarchData data(radio);
    for (const SDemoCanal& demo : canals) {
        CLarchCanal& canal = data.LarchCanal(demo.index);
        canal.SetEnabled(true);
        canal.SetFRQ_PRM(demo.receiveHz);
        canal.SetFRQ_PRD(demo.transmitHz);
        if (!demo.tone.empty())
            canal.SetCTCSS_PRM(models::ListCode(models::kLarchToneList, demo.tone));
        canal.SetScanning(demo.scanning);
    }
    std::vector<std::uint8_t> image(data.ImageSize(), 0xFF);
    data.EncodeImage(image);
    return image;
}

}  // namespace

std::span<const SDemoCanal> DemoCanals(std::string_view modelId) {
    if (modelId == "ALDER") return kAlderCanals;
    if (modelId == "BIRCH") return kBirchCanals;
    if (modelId == "CEDAR") return kCedarCanals;
    if (modelId == "LARCH") return kLarchCanals;
    return {};
}

std::vector<std::uint8_t> DemoImage(std::string_view modelId) {
    const std::span<const SDemoCanal> canals = DemoCanals(modelId);
    if (modelId == "ALDER") {
        CAlder radio;
        return EncodeTwoBank<CAlderData>(radio, canals, alder::ToneCode);
    }
    if (modelId == "BIRCH") {
        CBirch radio(BirchModel());
        return EncodeTwoBank<CBirchData>(radio, canals, birchcedar::ToneCode);
    }
    if (modelId == "CEDAR") {
        CCedar radio(CedarModel());
        return EncodeTwoBank<CCedarData>(radio, canals, birchcedar::ToneCode);
    }
    if (modelId == "LARCH") return EncodeLarch(canals);
    return {};
}

}  // namespace sim
