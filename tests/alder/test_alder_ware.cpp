// The Alder module object and radio description, and the recogniser's converter rule.

#include <gtest/gtest.h>

#include "../model_identity.h"
#include "U_alderware.h"
#include "test_support.h"

namespace {

CFakeSocket AlderSocket() {
    CFakeSocket socket;
    socket.fw = "ALDER";
    socket.low = 145000000;
    socket.high = 174000000;
    return socket;
}

class AlderWare : public ::testing::Test {
  protected:
    ~AlderWare() override { CWareSingleton<CAlderWare>::Release(); }
    CAlderWare& ware = *CWareSingleton<CAlderWare>::Get();
};

TEST_F(AlderWare, DescribesTheModel) {
    ExpectIdentity(ware, {"ALDER", "1.1.0", "Ольха-1", "ald", 145000000, 175000000});
    EXPECT_EQ(ware.GetRadio(0)->Ware(), &ware);
}

TEST_F(AlderWare, AttachingCreatesADefaultAlderSet) {
    IRadio* radio = ware.GetRadio(0);
    ASSERT_TRUE(ware.AttachData(radio, nullptr, nullptr));
    auto* data = dynamic_cast<CAlderData*>(radio->Data());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Tone(), 1450);
    EXPECT_EQ(data->ImageSize(), 2688u);
}

TEST_F(AlderWare, RecognisedRadioCarriesConverterType16) {
    CFakeSocket socket = AlderSocket();
    IRadio* radio = ware.GetRadio(0);
    IRadioQualifier* qualifier = ware.CreateQualifier(radio);
    ASSERT_NE(qualifier, nullptr);
    EXPECT_TRUE(qualifier->Qualification(&socket));
    EXPECT_EQ(radio->SerialNumber(), "0042");
    ASSERT_NE(radio->Data(), nullptr);
    EXPECT_EQ(radio->Data()->RadioConverterType(), 16);
    socket.fw = "ALDEX";
    EXPECT_FALSE(qualifier->Qualification(&socket));
    ware.ReleaseQualifier(qualifier);
}

TEST_F(AlderWare, ReadingThroughTheExchangeDecodesTheImage) {
    CFakeSocket socket = AlderSocket();
    IRadio* radio = ware.GetRadio(0);
    ASSERT_TRUE(ware.AttachData(radio, nullptr, nullptr));
    socket.probe.assign(512, 0xFF);  // every segment: empty slots, all ranges code 0xFFFF
    IRadioRW* rw = ware.CreateRW(radio, &socket);
    ASSERT_NE(rw, nullptr);
    rw->BeginRead();
    while (!rw->IsDone()) ASSERT_TRUE(rw->Step());
    EXPECT_EQ(rw->Progress(), 100);
    auto* data = dynamic_cast<CAlderData*>(radio->Data());
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->IsModified());
    EXPECT_EQ(data->Tone(), 65535);
    EXPECT_EQ(data->RangeText(), "145-149, 165-174 МГц");
    ware.ReleaseRW(rw);
}

}  // namespace
