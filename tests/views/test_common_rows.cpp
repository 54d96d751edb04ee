// Rows bound to a parameter of the attached set, and the check of a channel record against a
// radio's band, raster and tones.
#include "F_commonrows.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace views;

namespace {

struct SFakeData {
    bool light = false;
    int delay = 0;
    bool Light() const { return light; }
    void SetLight(bool on) { light = on; }
    int Delay() const { return delay; }
    void SetDelay(int value) { delay = value; }
};

// A page with one on/off row and one number row over whatever set is attached.
struct SBoundPage {
    QWidget panel;
    SViewFlags flags;
    TRowFills fills;
    SFakeData* attached = nullptr;
    ZVCL::TZStatic* light = nullptr;
    ZVCL::TZEditor* delay = nullptr;

    SBoundPage() {
        TPageBuilder b(panel, 400, 380, flags);
        const TDataRows<SFakeData> rows(
            b, [this] { return attached; }, fills);
        light = rows.OnOff({"Light", "Light", 100, {}}, &SFakeData::Light, &SFakeData::SetLight);
        delay = rows.Number({"Delay", "Delay", 100, {}}, {3, {}, 0, 60}, &SFakeData::Delay,
                            &SFakeData::SetDelay);
    }
    void Fill() {
        const CLoadingScope loading(flags);
        fills.Run();
    }
};

TEST(CommonRows, BoundRowsStoreIntoTheAttachedSetOnly) {
    SBoundPage page;
    // Nothing attached: a choice is stored nowhere and a fill leaves the rows as they are.
    page.light->SetText(OnOffText(true));
    page.Fill();
    EXPECT_EQ(page.light->Text(), OnOffText(true));

    SFakeData data;
    page.attached = &data;
    page.Fill();
    EXPECT_EQ(page.light->Text(), OnOffText(false));
    EXPECT_FALSE(data.light) << "showing the stored value must not store it back";

    page.light->SetText(OnOffText(true));
    page.delay->SetText("75");
    EXPECT_TRUE(data.light);
    EXPECT_EQ(data.delay, 60) << "a number row stores its value clamped into the range";

    data.delay = 5;
    page.Fill();
    EXPECT_EQ(page.delay->Text(), "5");
}

TEST(CommonRows, RecordMisfit) {
    const auto known = [](const QString& tone) { return tone == "(нет)" || tone == "67,0"; };
    const auto record = [](int rx, int tx, const char* rxTone, const char* txTone) {
        SCanalRecord r;
        r.rx = rx;
        r.tx = tx;
        r.rxTone = QString::fromUtf8(rxTone);
        r.txTone = QString::fromUtf8(txTone);
        return r;
    };
    struct SCase {
        SCanalRecord record;
        QString misfit;
    };
    const SCase cases[] = {
        {record(136000000, 174000000, "(нет)", "67,0"), {}},
        {record(135987500, 150000000, "(нет)", "(нет)"),
         "частота 135 987 500 вне диапазона радиостанции"},
        {record(150000000, 174012500, "(нет)", "(нет)"),
         "частота 174 012 500 вне диапазона радиостанции"},
        {record(150006250, 150000000, "(нет)", "(нет)"),
         "частота 150 006 250 не кратна шагу сетки"},
        // The frequencies are told before the tones.
        {record(150006250, 150000000, "71,9", "(нет)"), "частота 150 006 250 не кратна шагу сетки"},
        {record(150000000, 150000000, "(нет)", "71,9"), "тон 71,9 не поддерживается"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(RecordMisfit(c.record, 136000000, 174000000, 12500, known), c.misfit)
            << c.record.rx << " " << c.record.tx;
}

}  // namespace
