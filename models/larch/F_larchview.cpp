#include "F_larchview.h"

#include "F_viewtexts.h"
#include "U_larchware.h"
#include "U_modellists.h"
#include "U_shownvalues.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

#include <algorithm>

using namespace views;

namespace {

// Normal and compact widths of the channel table's columns; the step, the two system columns
// of the two-bank radios and the call tone have no room here.
constexpr int kCanalWidths[2][13] = {{30, 35, 0, 139, 52, 139, 0, 110, 48, 0, 110, 0, 87},
                                     {30, 35, 0, 107, 35, 107, 0, 85, 34, 0, 85, 0, 77}};

// The places of the basic page: where its rows and groups start, in the normal and the compact
// layout.
constexpr int kBasicsPlaces[2][6] = {{0, 46, 92, 161, 230, 345}, {0, 23, 46, 98, 150, 248}};

const QString kListRest = QStringLiteral("(выбирается из списка)");

}  // namespace

// ---- Rules of the Larch channel table and pages -----------------------------------------------

namespace larchview {

QString FreqText(const CLarchData& data, int value) {
    QString digits = QString::number(SnapToRanges(data.Ranges(), value));
    for (qsizetype at = digits.size() - 3; at > 0 && digits[at - 1] != QLatin1Char('-'); at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

int ParseFreqText(const CLarchData& data, const QString& text) {
    constexpr qsizetype kLength = 10;  // "39 012 500"
    if (text.size() != kLength) return kLarchBandLow;
    QString digits = text;
    digits.remove(6, 1);
    digits.remove(2, 1);
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? SnapToRanges(data.Ranges(), value) : kLarchBandLow;
}

void ToggleWorkingCanal(CLarchData& data, int canal) {
    if (canal < 0 || canal >= kLarchCanalCount) return;
    // Only the end of the run moves.
    if (canal > 0 && !data.LarchCanal(canal - 1).Enabled()) return;
    CLarchCanal& ch = data.LarchCanal(canal);
    const bool on = !ch.Enabled();
    // The image holds no more working channels than this.
    if (on && canal >= kLarchMaxWorkingCanals) return;
    if (!on && canal + 1 < kLarchCanalCount && data.LarchCanal(canal + 1).Enabled()) return;
    ch.SetEnabled(on);
    if (on) return;
    ch.SetScanning(false);
    if (data.ServiceCanal() == canal) data.SetServiceCanal(0);
}

void SetToneOfAllCanals(CLarchData& data, int tone) {
    const int clamped = std::clamp(tone, kLarchToneMin, kLarchToneMax);
    for (int i = 0; i < kLarchCanalCount; ++i) data.LarchCanal(i).SetTone(clamped);
}

QString SquelchText(const CLarchData& data) {
    const int last = static_cast<int>(models::kSquelchList.size()) - 1;
    return Q(
        models::SquelchName(data.SquelchOn() ? std::clamp(data.SquelchLevel() + 1, 1, last) : 0));
}

void StoreSquelch(CLarchData& data, const QString& text) {
    const int item = models::ListCode(models::kSquelchList, S(text));
    if (item == 0) {
        data.SetSquelchOn(false);
        return;
    }
    data.SetSquelchOn(true);
    data.SetSquelchLevel(item - 1);
}

}  // namespace larchview

// The editor the scanning page refills apart from its bound rows.
struct TLarchView::SEditors {
    ZVCL::TZStatic* ServiceCanal = nullptr;
};

namespace {

// The Larch channels as the table operations see them: values go through the channel setters,
// the working channels stay one run from 00, and the priority (service) channel follows its
// channel as the view's "on" toggle has it.
class TLarchCanalAccess final : public ICanalAccess {
  public:
    explicit TLarchCanalAccess(std::function<CLarchData*()> data) : data_(std::move(data)) {}

    int Count() const override { return data_() ? kLarchCanalCount : 0; }

    SCanalRecord Get(int canal) const override {
        const CLarchCanal& c = data_()->LarchCanal(canal);
        SCanalRecord r = CommonRecordOf(c);
        r.rxTone = Q(models::ListName(models::kLarchToneList, c.CTCSS_PRM()));
        r.txTone = Q(models::ListName(models::kLarchToneList, c.CTCSS_PRD()));
        r.blocked = c.BlockPRD();
        r.callTone = c.Tone();
        return r;
    }

    QString Misfit(const SCanalRecord& r) const override {
        const QStringList tones = Items(models::kLarchToneList);
        return RecordMisfit(r, kLarchBandLow, kLarchBandHigh, r.step == 12500 ? 12500 : 25000,
                            [&tones](const QString& tone) { return tones.contains(tone); });
    }

    void Put(int canal, const SCanalRecord& r) override {
        CLarchCanal& c = data_()->LarchCanal(canal);
        PutFrequencies(c, r);
        c.SetCTCSS_PRM(models::ListCode(models::kLarchToneList, S(r.rxTone)));
        c.SetCTCSS_PRD(models::ListCode(models::kLarchToneList, S(r.txTone)));
        c.SetOne_CSS(r.oneCss);
        if (r.callTone > 0) c.SetTone(r.callTone);
        c.SetBlockPRD(r.blocked);
        PutUse(c, r);
    }

    // A fresh channel carries the call tone every channel shares, channel 00's.
    SCanalRecord Empty() const override {
        SCanalRecord r;
        const SLarchCanalState fresh;
        r.step = fresh.FRQ_Step;
        r.rx = fresh.FRQ_PRM;
        r.tx = fresh.FRQ_PRD;
        r.callTone = data_()->LarchCanal(0).Tone();
        return r;
    }

    int Anchor() const override { return data_()->ServiceCanal(); }

    void SetAnchor(int canal) override {
        CLarchData& d = *data_();
        d.SetServiceCanal(canal >= 0 && d.LarchCanal(canal).Enabled() ? canal : 0);
    }

    int RunLimit() const override { return kLarchMaxWorkingCanals; }

    int SnapFrequency(int hz) const override { return SnapToRanges(data_()->Ranges(), hz); }

    QStringList ToneNames() const override { return Items(models::kLarchToneList); }

  private:
    std::function<CLarchData*()> data_;
};

}  // namespace

TLarchView::TLarchView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : TRadioView(ware, layout, QStringLiteral("TLarchView"), parent),
      e_(std::make_unique<SEditors>()) {
    // Each page leaves the focus on its inner panel after filling.
    AddPages(
        {BuildCanals(), BuildBasics(), BuildScanning(), BuildSames(), BuildKeyPanel<CLarchData>()},
        TPageFocus::InnerPanel);
    EnableCanalEditing(std::make_unique<TLarchCanalAccess>([this] { return Data(); }));
}

TLarchView::~TLarchView() {
    DeletePages();
}

CLarchData* TLarchView::Data() const {
    return DataAs<CLarchData>();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TLarchView::BuildCanals() {
    const auto canal = [this](int i) -> CLarchCanal& { return Data()->LarchCanal(i); };
    const auto toneText = [](int code) {
        return Q(models::ListName(models::kLarchToneList, code));
    };

    SCanalGridModel model = CanalModel(kCanalWidths, [canal](int i) { return canal(i).Enabled(); });
    std::vector<SCanalColumn>& c = model.columns;

    SFrequencyForm form;
    form.text = [this](int hz) { return larchview::FreqText(*Data(), hz); };
    form.parse = [this](const QString& text) { return larchview::ParseFreqText(*Data(), text); };
    form.stepped = [this](int hz, int step, int direction) {
        const CLarchData& d = *Data();
        return direction > 0 ? StepUp(d.Ranges(), hz, step) : StepDown(d.Ranges(), hz, step);
    };
    form.snap = [this](int hz) { return SnapToRanges(Data()->Ranges(), hz); };
    SetFrequencyColumns(c, canal, std::move(form),
                        [this](int i) { larchview::ToggleWorkingCanal(*Data(), i); });

    c[2].text = [this, canal](int i) {
        return canal(i).FRQ_Step() == 12500 ? QStringLiteral("12,5") : QStringLiteral("25");
    };

    const QString receiveHint = QStringLiteral("Приемный тон CTCSS\n") + kListRest;
    c[6].hint = receiveHint;
    c[6].hintRows = 2;

    c[7].action = TCellAction::List;
    c[7].text = [canal, toneText](int i) { return toneText(canal(i).CTCSS_PRM()); };
    c[7].list = [](int) { return Items(models::kLarchToneList); };
    c[7].pullRight = 23;
    c[7].store = [canal](int i, const QString& text) {
        canal(i).SetCTCSS_PRM(models::ListCode(models::kLarchToneList, S(text)));
    };
    c[7].hint = receiveHint;
    c[7].hintRows = 2;

    SetEqualColumn(
        c[8], [canal](int i) { return canal(i).One_CSS(); },
        [canal](int i, bool on) { canal(i).SetOne_CSS(on); },
        QStringLiteral("Знак \"=\" устанавливается в случае, если частота приемного тона "
                       "CTCSS\nравна частоте тона передачи CTCSS"));

    const QString transmitHint = QStringLiteral("Тон передачи CTCSS\n") + kListRest;
    c[9].hint = transmitHint;
    c[9].hintRows = 2;

    c[10] = c[7];
    c[10].text = [canal, toneText](int i) { return toneText(canal(i).CTCSS_PRD()); };
    c[10].allowed = [canal](int i) { return !canal(i).One_CSS(); };
    c[10].store = [canal](int i, const QString& text) {
        canal(i).SetCTCSS_PRD(models::ListCode(models::kLarchToneList, S(text)));
    };
    c[10].hint = transmitHint;

    c[11].text = [canal](int i) { return QString::number(canal(i).Tone()); };
    c[11].hint = QStringLiteral("Вызывной тон");
    c[11].hintRows = 3;

    c[12].action = TCellAction::Toggle;
    c[12].image = [canal](int i) { return Tick(canal(i).BlockPRD(), ti_Ticked); };
    c[12].dottedWhenDisabled = true;
    c[12].toggle = [canal](int i) { canal(i).SetBlockPRD(!canal(i).BlockPRD()); };
    c[12].hint = QStringLiteral("Блокировка выхода на передачу");
    c[12].hintRows = 3;

    model.header = {
        {0, 0, 0, 1, QStringLiteral("№")},
        {1, 1, 0, 1, QStringLiteral("Вкл")},
        {3, 5, 0, 0, QStringLiteral("Частота,  Гц")},
        {3, 3, 1, 1, QStringLiteral("ПРМ")},
        {4, 4, 1, 1, QStringLiteral("=")},
        {5, 5, 1, 1, QStringLiteral("ПРД")},
        {7, 10, 0, 0,
         Compact() ? QStringLiteral("CTCSS  тон,  Гц") : QStringLiteral("Субтон (CTCSS),  Гц ")},
        {6, 7, 1, 1, QStringLiteral("ПРМ")},
        {8, 8, 1, 1, QStringLiteral("=")},
        {9, 10, 1, 1, QStringLiteral("ПРД")},
        {11, 11, 0, 1, QStringLiteral("Вызывной\nтон,  Гц")},
        {12, 12, 0, 1, QStringLiteral("Блокировка\nПРД")}};

    return BuildCanalPanel(std::move(model));
}

// ---- Basic parameters -------------------------------------------------------------------------

TDataRows<CLarchData> TLarchView::Rows(TPageBuilder& b, TRowFills& fills) const {
    return RowsOf<CLarchData>(b, fills);
}

QWidget* TLarchView::BuildBasics() {
    TPageBuilder b = NewRowsPage("pnl_Basics", kBasicsPlaces);
    const TDataRows<CLarchData> rows = Rows(b, basics_);
    using D = CLarchData;

    b.MoveToPlace(0);
    // Channel 00's tone stands for the radio's one call tone; it reaches the other channels
    // only when the user changes it, so that merely looking at the page leaves the set as read.
    ZVCL::TZEditor* tone = b.AddNumberLine(
        CallToneRow(), {4,
                        {"1000", "1450", "2100"},
                        kLarchToneMin,
                        kLarchToneMax,
                        [this] { return Data() ? Data()->LarchCanal(0).Tone() : kLarchToneMin; },
                        [this](int tone) {
                            if (CLarchData* d = Data()) larchview::SetToneOfAllCanals(*d, tone);
                        }});
    rows.Fill([tone](const D& d) { ShowNumber(*tone, d.LarchCanal(0).Tone()); });
    b.MoveToPlace(1);
    rows.Selector(SquelchRow("SquelchLevel", QString()), Items(models::kSquelchList),
                  &larchview::StoreSquelch, &larchview::SquelchText);

    b.MoveToPlace(2);
    b.BeginGroup("grp_Transmitter", QStringLiteral(" Передатчик"));
    rows.Count({"Power", QStringLiteral(" Мощность передатчика, Вт:"), kNarrowCaption,
                QStringLiteral("Выбор мощности передатчика\n(выбирается из предложенных уровней)")},
               1, 5, &D::Power, &D::SetPower);
    b.EndGroup();

    b.MoveToPlace(3);
    b.BeginGroup("grp_Initial", QStringLiteral(" Начальные установки"));
    rows.Count({"VolumeLevel", QStringLiteral(" Уровень громкости:"), kNarrowCaption, QString()}, 0,
               10, &D::VolumeLevel, &D::SetVolumeLevel);
    b.EndGroup();

    b.MoveToPlace(4);
    b.BeginGroup("grp_Indication", QStringLiteral(" Индикация"));
    AddIndicationRows(rows);
    b.EndGroup();

    b.MoveToPlace(5);
    rows.YesNo(SaveSetRow(), &D::SaveSet, &D::SetSaveSet);
    return b.FinishPage();
}

// ---- Scanning ---------------------------------------------------------------------------------

QWidget* TLarchView::BuildScanning() {
    const auto canal = [this](int i) -> CLarchCanal& { return Data()->LarchCanal(i); };
    TPageBuilder b = BuildScanPage(ScanModelOver(canal));
    const TDataRows<CLarchData> rows = Rows(b, scanning_);
    using D = CLarchData;
    // The service channel is chosen among the working channels, which the list follows.
    e_->ServiceCanal = rows.Selector(
        PriorCanalRow("ServiceCanal"), {},
        [](D& d, const QString& t) { d.SetServiceCanal(models::ParseChannelNumber(S(t))); },
        [](const D& d) { return Q(models::ChannelNumberText(d.ServiceCanal())); });
    rows.OnOff(PriorScanningRow(), &D::PriorScanning, &D::SetPriorScanning);
    rows.YesNo(StopOnCurrentRow(), &D::StopOnCurrent, &D::SetStopOnCurrent);
    // Three characters, so that the longest delay (100 s, also offered in the list) fits.
    rows.Number(DelayScanningRow(QStringLiteral("сек")),
                {3, {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}, 0, 100},
                &D::DelayScanning, &D::SetDelayScanning);
    return b.FinishPage();
}

void TLarchView::FillScanning() {
    scan_->Refresh();
    if (const CLarchData* d = Data())
        e_->ServiceCanal->SetList(
            CanalNumbers(kLarchCanalCount, [d](int i) { return d->LarchCanal(i).Enabled(); }));
    scanning_.Run();
}

// ---- Additional parameters --------------------------------------------------------------------

QWidget* TLarchView::BuildSames() {
    TPageBuilder b = NewRowsPage("pnl_Sames");
    const TDataRows<CLarchData> rows = Rows(b, sames_);
    using D = CLarchData;
    b.MoveTo(Compact() ? 5 : 8);
    b.BeginGroup("grp_PRG", QStringLiteral(" Программирование станции"));
    rows.YesNo(InfraredPortRow(kNarrowCaption), &D::PRG_IR, &D::SetPRG_IR);
    rows.YesNo(
        {"PRG_Enabled", QStringLiteral(" Разрешить программирование:"), kNarrowCaption, QString()},
        &D::PRG_Enabled, &D::SetPRG_Enabled);
    b.EndGroup();
    return b.FinishPage();
}

// ---- The module's view ------------------------------------------------------------------------

std::unique_ptr<CRadioView> CreateLarchView(CRadioWare& ware) {
    return CreateHostedView<TLarchView>(ware);
}

void InstallLarchView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateLarchView);
}
