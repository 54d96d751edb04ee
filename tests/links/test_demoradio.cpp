// The demonstration radio: read through each delivered plug-in, it holds the model's factory
// settings and its demonstration channels; "blank" keeps the erased memory.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "../delivered_radios.h"
#include "U_demomemory.h"
#include "U_simoptions.h"
#include "U_virtualradios.h"
#include "link_test_models.h"

namespace {

using namespace std::chrono_literals;

// The set's text form as key -> value.
std::map<std::string, std::string> Keys(IRadioData& data) {
    std::ostringstream out;
    data.Save(out);
    std::map<std::string, std::string> keys;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const auto equals = line.find('='); equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

bool IsCanalKey(const std::string& key) {
    return !key.empty() && key[0] >= '0' && key[0] <= '9';
}

class DemoRadio : public ::testing::TestWithParam<std::string> {};

TEST_P(DemoRadio, ReadsAsTheFactorySettingsWithTheDemonstrationChannels) {
    IRadio& radio = DeliveredRadio(GetParam());
    IRadioWare& ware = *radio.Ware();
    ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
    radio.Data()->Reset();
    const auto defaults = Keys(*radio.Data());

    sim::CVirtualRadios radios({GetParam()});
    CLinkPorts ports(radios.LinkConfig());
    ports.SetWindow(1000ms);
    ASSERT_TRUE(linktest::RunTransfer(ware, radio, ports, true).ok);
    const auto read = Keys(*radio.Data());

    // Every setting is the model's default, except the converter type (the radio reports it),
    // the priority channel (the first of the scan list) and Larch's notes (its image holds a
    // fixed trailer there).
    const std::set<std::string> own = {"UPR", "PriorCanal", "Notes"};
    for (const auto& [key, value] : defaults) {
        if (!IsCanalKey(key) && !own.count(key)) {
            EXPECT_EQ(read.count(key) ? read.at(key) : "(missing)", value) << key;
        }
    }

    const auto canals = sim::DemoCanals(GetParam());
    ASSERT_FALSE(canals.empty());
    int enabled = 0;
    for (const auto& [key, value] : read)
        if (key.size() > 7 && key.ends_with("Enabled") && IsCanalKey(key)) enabled += value == "1";
    EXPECT_EQ(enabled, static_cast<int>(canals.size()));
    for (const sim::SDemoCanal& canal : canals) {
        const std::string n = std::to_string(canal.index);
        EXPECT_EQ(read.at(n + "Enabled"), "1") << n;
        EXPECT_EQ(read.at(n + "FRQ_PRM"), std::to_string(canal.receiveHz)) << n;
        EXPECT_EQ(read.at(n + "FRQ_PRD"), std::to_string(canal.transmitHz)) << n;
        EXPECT_EQ(read.at(n + "Scanning"), canal.scanning ? "1" : "0") << n;
        const std::string tone = read.count(n + "CSS_PRM") ? n + "CSS_PRM" : n + "CTCSS_PRM";
        // No tone is "(нет)" in the file's code page, or code 0.
        const bool hasTone = read.at(tone) != "(\xED\xE5\xF2)" && read.at(tone) != "0";
        EXPECT_EQ(hasTone, !canal.tone.empty()) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Links, DemoRadio, ::testing::Values("ALDER", "BIRCH", "CEDAR", "LARCH"));

TEST(DemoRadioOptions, BlankKeepsTheErasedMemoryAndExcludesAnImage) {
    struct SCase {
        const char* description;
        bool parses;
        bool erased;
    };
    const SCase cases[] = {
        {"alder", true, false},          {"alder,blank", true, true},
        {"larch,blank", true, true},     {"alder,blank,image=a.img", false, false},
        {"alder,blank=1", false, false},
    };
    for (const SCase& c : cases) {
        sim::SVirtualRadioOptions options;
        std::string error;
        ASSERT_EQ(sim::ParseVirtualRadio(c.description, options, error), c.parses) << c.description;
        if (!c.parses) continue;
        const auto radio = sim::CVirtualRadio::Create(options, error);
        ASSERT_TRUE(radio) << error;
        const auto image = radio->Image();
        const auto erasedBytes = std::count(image.begin(), image.end(), std::uint8_t{0xFF});
        // Only the factory ranges and the converter bytes are written into erased memory.
        const bool erased = erasedBytes + 24 >= static_cast<std::ptrdiff_t>(image.size());
        EXPECT_EQ(erased, c.erased) << c.description;
    }
}

}  // namespace
