// The delivered plug-ins, loaded as the program loads them, against a virtual radio of their
// model: recognition, a read, a write, and the same parameters read back.

#include <gtest/gtest.h>

#include <sstream>

#include "../delivered_radios.h"
#include "U_virtualradios.h"
#include "link_test_models.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> ModelIds() {
    std::vector<std::string> ids;
    for (int m = 0; m < DeliveredModules().Count(); ++m)
        ids.push_back(DeliveredModules().Get(m).ware->Description());
    return ids;
}

std::string Text(IRadioData& data) {
    std::ostringstream out;
    data.Save(out);
    return out.str();
}

class DeliveredModel : public ::testing::TestWithParam<std::string> {
  protected:
    IRadio& Radio() { return DeliveredRadio(GetParam()); }
};

TEST_P(DeliveredModel, ReadsWritesAndReadsBackTheSameParameters) {
    const int threadsBefore = linktest::ThreadCount();
    {
        sim::CVirtualRadios radios({GetParam() + ",blank,sn=31337,converter=1"});
        CLinkPorts ports(radios.LinkConfig());
        ports.SetWindow(1000ms);
        IRadio& radio = Radio();
        IRadioWare& ware = *radio.Ware();
        ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));

        const auto read = linktest::RunTransfer(ware, radio, ports, true);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.progress.back(), GetParam() == "LARCH" ? 95 : 100);
        EXPECT_EQ(radio.SerialNumber(), "31337");

        // Blank memory is not what a model writes; after one write the radio holds the
        // model's own image, and from then on what is written is what is read.
        const bool twoBanks = GetParam() != "LARCH";
        std::string previous;
        for (int round = 0; round < 2; ++round) {
            const int bankBefore = radios.Radio(0).BankFlag();
            const auto write = linktest::RunTransfer(ware, radio, ports, false);
            ASSERT_TRUE(write.ok) << round;
            if (twoBanks) {
                EXPECT_NE(radios.Radio(0).BankFlag(), bankBefore) << round;
            }
            const auto again = linktest::RunTransfer(ware, radio, ports, true);
            ASSERT_TRUE(again.ok) << round;
            if (round == 1) {
                EXPECT_EQ(Text(*radio.Data()), previous);
            }
            previous = Text(*radio.Data());
        }
    }
    EXPECT_EQ(linktest::ThreadCount(), threadsBefore);
}

TEST_P(DeliveredModel, InterruptedWriteIsReportedAndSparesTheBankInUse) {
    // Requests: 1 identification, 2 probe, 3 clock, then the segments: Larch 4-6 and the end,
    // the others 4-8 into the bank not in use, 9 release, 10 end.
    const bool twoBanks = GetParam() != "LARCH";
    sim::CVirtualRadios radios(
        {GetParam() + ",converter=2,fault=silent@" + (twoBanks ? "7" : "5")});
    CLinkPorts ports(radios.LinkConfig());
    ports.SetWindow(150ms);
    IRadio& radio = Radio();
    IRadioWare& ware = *radio.Ware();
    ASSERT_TRUE(ware.AttachData(&radio, nullptr, nullptr));
    const auto before = radios.Radio(0).Image();
    const auto write = linktest::RunTransfer(ware, radio, ports, false);
    ASSERT_TRUE(write.found);
    EXPECT_FALSE(write.ok);
    if (twoBanks) {
        EXPECT_EQ(radios.Radio(0).BankFlag(), 0);
        EXPECT_EQ(radios.Radio(0).Image(), before);
    } else {
        // No banks: the first segment is in the radio already, the rest is not.
        EXPECT_EQ(radios.Radio(0).Segment(120),
                  std::vector<std::uint8_t>(before.begin() + 256, before.begin() + 768));
    }
}

INSTANTIATE_TEST_SUITE_P(Links, DeliveredModel, ::testing::ValuesIn(ModelIds()),
                         [](const auto& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DeliveredModel);

}  // namespace
