// Read (F3) and write (F5) through the window against virtual radios: the search across
// models, the save prompt, the model's check, progress, busy and idle, failures, closing during
// a transfer, and the serial number and converter type shown afterwards.

#include "shell_fixture.h"

namespace {

class ShellRadio : public ShellTest {
  protected:
    // The last texts of a transfer also name the radio: a status is matched by its beginning.
    bool Saw(const std::string& text) const { return Count(text) > 0; }
    int Count(const std::string& text) const {
        const QString start = QString::fromStdString(text);
        return static_cast<int>(
            std::count_if(statuses_.begin(), statuses_.end(),
                          [&start](const QString& s) { return s.startsWith(start); }));
    }
    bool LastIs(const std::string& text) const {
        return !statuses_.isEmpty() && statuses_.last().startsWith(QString::fromStdString(text));
    }
    void WatchProgress() {
        QObject::connect(Find<QProgressBar>("sts_Progress"), &QProgressBar::valueChanged,
                         [this](int value) { progress_.push_back(value); });
    }
    bool WaitTransferRunning() {
        return WaitFor([this] { return Find<QProgressBar>("sts_Progress")->isVisible(); }, 5000);
    }
    std::vector<int> progress_;
};

// Larch is current and an Alder radio is in range: after Larch the list is tried from the top,
// Alder answers, and the list switches to it before the read.
TEST_F(ShellRadio, ReadFindsTheRadioOfAnotherModelAndSelectsIt) {
    Start({"alder,sn=4242"});
    List().Select(IndexOf("LARCH"));
    WatchProgress();
    std::vector<int> selected;  // the list's selection as each text was shown
    QObject::connect(&Window(), &Tfrm_Main::StatusShown,
                     [this, &selected] { selected.push_back(List().Current()); });
    Transfer(QKeySequence(Qt::Key_F3));

    const QStringList expected = {
        "Поиск радиостанции \"Лиственница-1\"...",
        "Поиск радиостанции \"Ольха-1\"...",
        "Радиостанция \"Лиственница-1\" не найдена, найдена радиостанция \"Ольха-1\"",
        "Радиостанция \"Ольха-1\" найдена, заводской номер 4242...",
        "Чтение параметров из радиостанции...",
        "Параметры из радиостанции считаны успешно — радиостанция \"Ольха-1\", заводской номер "
        "4242",
    };
    EXPECT_EQ(statuses_, expected);
    // The fall-back is said while Larch is still selected.
    ASSERT_EQ(selected.size(), 6u);
    EXPECT_EQ(selected[2], IndexOf("LARCH"));
    EXPECT_EQ(selected[3], IndexOf("ALDER"));
    EXPECT_EQ(List().Current(), IndexOf("ALDER"));
    EXPECT_EQ(Find<QLabel>("stspnl_RName")->text().toStdString(), "Параметры \"Ольха-1\"");
    EXPECT_EQ(Find<QLabel>("txt_SN")->text().toStdString(), "4242");
    EXPECT_EQ(Find<QLabel>("txt_SN")->palette().color(QPalette::WindowText), QColor(Qt::black));
    // The set the recogniser filled survives the switch to Alder.
    EXPECT_EQ(Find<QLabel>("txt_Maskirator")->text().toStdString(), "УПР-Г4");
    EXPECT_FALSE(Find<QProgressBar>("sts_Progress")->isVisible());
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.front(), 0);
    EXPECT_EQ(progress_.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress_.begin(), progress_.end()));
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());
    EXPECT_TRUE(Find<QAction>("act_Write")->isEnabled());
    EXPECT_TRUE(Find<QTimer>("tmr_ClearText")->isActive());
    EXPECT_EQ(RadioOf("ALDER")->FileName(), "");
    EXPECT_EQ(Caption(), Base());
}

// The search fills the model's parameter set on its own thread: meanwhile nothing may attach
// another radio, drop or replace that set. The list, New and the opens are off and refused.
TEST_F(ShellRadio, NothingReplacesTheSetWhileASearchRuns) {
    Start({"alder,fault=late@1,delay=300"});
    const int alder = IndexOf("ALDER");
    Press(QKeySequence(Qt::Key_F3));
    ASSERT_TRUE(List().Workers().Busy());
    List().SelectCommand(IndexOf("LARCH"));  // before the search has reached the window
    ASSERT_TRUE(WaitFor([this] { return !Find<QAction>("act_Read")->isEnabled(); }, 2000));
    List().SelectCommand(IndexOf("LARCH"));
    List().NewCommand();
    List().OpenParamsAs(IndexOf("LARCH"));
    Press(QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(List().Current(), alder);
    EXPECT_TRUE(dialogs_.openRequests.empty());
    for (const char* name : {"act_New", "act_Open"}) EXPECT_FALSE(Find<QAction>(name)->isEnabled());
    EXPECT_FALSE(Find<QWidget>("grd_RadioList")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("mnu_OpenAs")->isEnabled());

    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Saw("Параметры из радиостанции считаны успешно"));
    EXPECT_EQ(Find<QLabel>("txt_Maskirator")->text().toStdString(), "УПР-Г4");
    for (const char* name : {"act_New", "act_Open"}) EXPECT_TRUE(Find<QAction>(name)->isEnabled());
    EXPECT_TRUE(Find<QWidget>("grd_RadioList")->isEnabled());
    List().SelectCommand(IndexOf("LARCH"));
    EXPECT_EQ(List().Current(), IndexOf("LARCH"));
}

TEST_F(ShellRadio, ReadAsksAboutModifiedParametersFirst) {
    Start({"alder"});
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    const std::string edited = BodyOf(RadioOf("ALDER"));

    dialogs_.answers.push_back(EAnswer::Cancel);
    Transfer(QKeySequence(Qt::Key_F3));
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_EQ(dialogs_.questions[0].text,
              "Параметры \"Ольха-1\" были изменены. Сохранить изменения в новом файле?");
    EXPECT_EQ(statuses_.last(), QString());
    EXPECT_FALSE(Saw("Чтение параметров из радиостанции..."));
    EXPECT_EQ(BodyOf(RadioOf("ALDER")), edited);
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());

    // The link was closed and the exchange given back: the next read gets through.
    dialogs_.answers.push_back(EAnswer::No);
    Transfer(QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(Saw("Параметры из радиостанции считаны успешно"));
    EXPECT_NE(BodyOf(RadioOf("ALDER")), edited);
    EXPECT_EQ(Window().RadioRowText(IndexOf("ALDER")).contains(" *"), Entry("ALDER").modified);
}

TEST_F(ShellRadio, WriteRefusesParametersTheModelRejects) {
    Start({"alder"});
    Press(QKeySequence(Qt::Key_F5));
    EXPECT_EQ(Status().toStdString(), "Нет активных каналов для записи параметров");
    EXPECT_FALSE(List().Workers().Busy());
    EXPECT_TRUE(Find<QTimer>("tmr_ClearText")->isActive());
    QTest::qWait(50);
    EXPECT_TRUE(VirtualRadio().Requests().empty());
}

// The radio ends up holding exactly the image of the parameters written.
TEST_F(ShellRadio, WriteStoresTheParametersInTheRadio) {
    Start({"alder,sn=99"});
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    auto* data = static_cast<CRadioData*>(RadioOf("ALDER")->Data());
    std::vector<std::uint8_t> expected(data->ImageSize(), 0xFF);
    data->EncodeImage(expected);
    const int bankBefore = VirtualRadio().BankFlag();

    Transfer(QKeySequence(Qt::Key_F5));
    EXPECT_EQ(statuses_.last().toStdString(),
              "Параметры в радиостанцию записаны успешно — радиостанция \"Ольха-1\", заводской "
              "номер 99");
    EXPECT_FALSE(Saw("Поиск радиостанции \"Берёза-1\"..."));
    EXPECT_NE(VirtualRadio().BankFlag(), bankBefore);
    const std::vector<std::uint8_t> held = VirtualRadio().Image();
    ASSERT_EQ(held.size(), expected.size());
    // The factory block is the radio's own; everything the program wrote must be there.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < held.size(); ++i) differing += held[i] != expected[i];
    EXPECT_LT(differing, 512u) << "the written segments differ from the parameters";
    EXPECT_EQ(Find<QLabel>("txt_SN")->text().toStdString(), "99");
    EXPECT_TRUE(Entry("ALDER").modified);  // a write does not save the parameters to a file
}

// Requests of a write: 1 identification, 2 probe, 3 clock, 4-8 segments, 9 release, 10 end of
// session. The end's answer comes cut short: the radio, asked again, uses the bank just written.
TEST_F(ShellRadio, WriteWhoseEndOfSessionAnswerIsLostSaysWhatTheRadioHolds) {
    // Requests 3..8 read the copy of the radio's memory; 16 ends the write session.
    Start({"alder,fault=short@16"});
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    const int bankBefore = VirtualRadio().BankFlag();
    Transfer(QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(
        LastIs("Параметры в радиостанцию записаны (радиостанция не подтвердила окончание записи)"));
    EXPECT_NE(VirtualRadio().BankFlag(), bankBefore);
}

TEST_F(ShellRadio, WriteToAOneBankRadioWhoseEndOfSessionAnswerIsLostIsJudgedByTheReadBack) {
    // Larch never switches banks; request 10 ends its write session.
    Start({"larch,fault=short@10"});
    List().Select(IndexOf("LARCH"));
    ASSERT_TRUE(LoadBody(RadioOf("LARCH"), kWritableBody, true));
    Transfer(QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(
        LastIs("Параметры в радиостанцию записаны (радиостанция не подтвердила окончание записи)"));
}

TEST_F(ShellRadio, WriteSearchesOnlyTheSelectedModel) {
    Start({"birch"});
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    Transfer(QKeySequence(Qt::Key_F5));
    EXPECT_EQ(statuses_, (QStringList{"Поиск радиостанции \"Ольха-1\"...",
                                      "Радиостанция не найдена (виртуальные радиостанции)"}));
    EXPECT_EQ(List().Current(), IndexOf("ALDER"));
    EXPECT_TRUE(Find<QTimer>("tmr_ClearText")->isActive());
    EXPECT_TRUE(Find<QAction>("act_Write")->isEnabled());
}

TEST_F(ShellRadio, ReadWithNoRadioTriesEveryModelOnce) {
    Start();
    Transfer(QKeySequence(Qt::Key_F3));
    ASSERT_EQ(statuses_.size(), List().Count() + 1);
    for (int i = 0; i < List().Count(); ++i)
        EXPECT_EQ(Count("Поиск радиостанции \"" + List().Get(i).name + "\"..."), 1);
    EXPECT_EQ(statuses_.last().toStdString(), "Радиостанция не найдена (виртуальные радиостанции)");
    EXPECT_EQ(List().Current(), IndexOf("ALDER"));
}

// A step without a reply ends the read: the error text, never the success text, and the link
// is closed all the same (the next read connects again and succeeds).
TEST_F(ShellRadio, FailedStepShowsTheErrorAndFreesTheLink) {
    Start({"alder,fault=silent@4"});
    Transfer(QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(Saw("Ошибка чтения параметров из радиостанции..."));
    EXPECT_FALSE(Saw("Параметры из радиостанции считаны успешно"));
    EXPECT_FALSE(Find<QProgressBar>("sts_Progress")->isVisible());
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("pnl_Data")->isEnabled());

    statuses_.clear();
    Transfer(QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(LastIs("Параметры из радиостанции считаны успешно"));
}

// While a transfer runs F3 and F5 do nothing and the view is not editable; the file commands
// still work.
TEST_F(ShellRadio, CommandsDuringATransfer) {
    Start({"alder,fault=late@4,delay=250"});
    ports_->SetWindow(std::chrono::milliseconds(1500));
    Press(QKeySequence(Qt::Key_F3));
    ASSERT_TRUE(WaitTransferRunning());
    EXPECT_FALSE(Find<QAction>("act_Read")->isEnabled());
    EXPECT_FALSE(Find<QAction>("act_Write")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("pnl_Data")->isEnabled());
    Press(QKeySequence(Qt::Key_F3));
    Press(QKeySequence(Qt::Key_F5));
    dialogs_.saveAnswers.push_back(std::nullopt);
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Count("Поиск радиостанции \"Ольха-1\"..."), 1);
    EXPECT_EQ(Count("Параметры из радиостанции считаны успешно"), 1);
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("pnl_Data")->isEnabled());
}

// Closing waits for the running transfer, which finishes and gives everything back before
// the window and the modules go.
TEST_F(ShellRadio, ClosingDuringATransferWaitsForIt) {
    Start({"alder,fault=late@5,delay=250"});
    ports_->SetWindow(std::chrono::milliseconds(1500));
    Press(QKeySequence(Qt::Key_F3));
    ASSERT_TRUE(WaitTransferRunning());
    dialogs_.answers.push_back(EAnswer::No);  // the parameters read are not in a file yet
    EXPECT_TRUE(Window().close());
    EXPECT_FALSE(List().Workers().Busy());
    EXPECT_TRUE(Saw("Параметры из радиостанции считаны успешно"));
    program_.reset();
}

// Birch's write check puts the model's band back as the ranges when every channel in use lies
// in it, without a notification: the panel shows the new ranges at once, whatever the search
// then finds.
TEST_F(ShellRadio, WriteCheckRefreshesTheRangesShown) {
    Start();
    List().Select(IndexOf("BIRCH"));
    ASSERT_TRUE(LoadBody(RadioOf("BIRCH"),
                         "\r\nFR1=40000000\r\nFR2=45000000\r\n0Enabled=1\r\n0FRQ_PRM=39000000\r\n"
                         "0FRQ_PRD=39000000\r\n",
                         false));
    Window().UpdateState();
    auto* ranges = Find<QLabel>("txt_FreqRanges");
    EXPECT_EQ(ranges->text().toStdString(), "40-45 МГц");
    Press(QKeySequence(Qt::Key_F5));
    EXPECT_EQ(ranges->text().toStdString(), "39-49 МГц");
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Saw("Радиостанция не найдена (виртуальные радиостанции)"));
}

// After a read the serial number and the converter type found in the radio are shown in
// black, and grey once the panel's timer has run; the next selection empties the number.
TEST_F(ShellRadio, RadioInfoFadesAndGoesWithTheNextSelection) {
    Start({"alder,sn=777"});
    auto* timer = Find<QTimer>("tmr_UPR_SN");
    EXPECT_EQ(timer->interval(), 5000);
    timer->setInterval(40);
    Transfer(QKeySequence(Qt::Key_F3));
    auto* serial = Find<QLabel>("txt_SN");
    auto* converter = Find<QLabel>("txt_Maskirator");
    EXPECT_EQ(serial->text().toStdString(), "777");
    EXPECT_EQ(converter->text().toStdString(), "УПР-Г4");  // every Alder radio reports it
    EXPECT_FALSE(converter->font().bold());
    const QColor grey(0xB9, 0xB4, 0xAA);
    ASSERT_TRUE(
        WaitFor([&] { return serial->palette().color(QPalette::WindowText) == grey; }, 2000));
    EXPECT_EQ(converter->palette().color(QPalette::WindowText), grey);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(serial->text().toStdString(), "777");

    List().Select(IndexOf("LARCH"));
    EXPECT_EQ(serial->text(), QString());
}

// A type the operator fixed stays black and bold through the panel's timer; the read resets it
// to "determine", so the type found is shown afterwards.
TEST_F(ShellRadio, ReadResetsTheFixedConverterType) {
    Start({"alder"});
    RadioOf("ALDER")->SetConverterType(5);
    Window().UpdateState();
    auto* converter = Find<QLabel>("txt_Maskirator");
    EXPECT_EQ(converter->text().toStdString(), "УПР-В3");
    EXPECT_TRUE(converter->font().bold());
    Transfer(QKeySequence(Qt::Key_F3));
    EXPECT_EQ(RadioOf("ALDER")->ConverterType(), -1);
    EXPECT_EQ(converter->text().toStdString(), "УПР-Г4");
    EXPECT_FALSE(converter->font().bold());
}

// A model whose exchange throws, on the worker thread or in the part of a read the worker hands
// to the window's thread: the transfer ends as a failed one, the link is closed, the exchange
// object given back and the window idle again.
class ShellRadioThrowing : public ShellRadio, public ::testing::WithParamInterface<const char*> {
  protected:
    void TearDown() override {
        unsetenv("TESSEL_TEST_THROW_AT");
        ShellRadio::TearDown();
    }
    int LiveExchangeObjects() {
        const auto live = reinterpret_cast<int (*)()>(
            platform::FindExport(modules_->Get(0).hLib, "LiveExchangeObjects"));
        return live ? live() : -1;
    }
};

TEST_P(ShellRadioThrowing, AnExceptionEndsTheTransferCleanly) {
    setenv("TESSEL_TEST_THROW_AT", GetParam(), 1);
    Start({"alder,fw=THROW"}, true, TESSEL_TEST_THROWING_ROOT);
    ASSERT_EQ(List().Count(), 1);
    Transfer(QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(Saw("Ошибка чтения параметров из радиостанции..."));
    EXPECT_FALSE(Saw("Параметры из радиостанции считаны успешно"));
    EXPECT_FALSE(ports_->Irda().isOpen());
    EXPECT_EQ(LiveExchangeObjects(), 0);
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());
    EXPECT_TRUE(Find<QAction>("act_Write")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("pnl_Data")->isEnabled());
    EXPECT_FALSE(Find<QProgressBar>("sts_Progress")->isVisible());

    // The link can be had again. (A read that failed only after it decoded has changed the
    // parameters; they are dropped here so no question comes.)
    unsetenv("TESSEL_TEST_THROW_AT");
    List().Get(0).radio->Data()->Reset();
    statuses_.clear();
    Transfer(QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(Saw("Параметры из радиостанции считаны успешно"));
}

INSTANTIATE_TEST_SUITE_P(WorkerAndWindowThread, ShellRadioThrowing,
                         ::testing::Values("step", "done"));

}  // namespace

namespace {

int SegmentCommands(const sim::CVirtualRadio& radio, std::uint8_t code) {
    const auto requests = radio.Requests();
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [code](const auto& r) { return r.code == code; }));
}

// Two Alder radios in range: the user picks one by its serial number and that one is read; the
// next read offers it first, and cancelling the choice reads nothing.
TEST_F(ShellRadio, SeveralRadiosOfTheModelAreChosenBySerialNumber) {
    Start({"alder,sn=11", "alder,sn=22"});
    dialogs_.radioAnswers = {"22"};
    Transfer(QKeySequence(Qt::Key_F3));
    ASSERT_EQ(dialogs_.radioChoices.size(), 1u);
    EXPECT_EQ(dialogs_.radioChoices[0].name, "Ольха-1");
    EXPECT_EQ(dialogs_.radioChoices[0].serials, (std::vector<std::string>{"11", "22"}));
    EXPECT_EQ(dialogs_.radioChoices[0].preselected, 0u);
    EXPECT_TRUE(Saw("Радиостанция \"Ольха-1\" найдена, заводской номер 22..."));
    EXPECT_EQ(statuses_.last().toStdString(),
              "Параметры из радиостанции считаны успешно — радиостанция \"Ольха-1\", заводской "
              "номер 22");
    EXPECT_EQ(Find<QLabel>("txt_SN")->text().toStdString(), "22");
    // The radio not chosen was only recognised: one probe, nothing read.
    EXPECT_EQ(SegmentCommands(VirtualRadio(0), 0x02), 1);

    statuses_.clear();
    dialogs_.radioAnswers = {std::nullopt};  // Escape
    Transfer(QKeySequence(Qt::Key_F3));
    ASSERT_EQ(dialogs_.radioChoices.size(), 2u);
    EXPECT_EQ(dialogs_.radioChoices[1].preselected, 1u);  // the radio last used
    EXPECT_EQ(statuses_.last().toStdString(), "");
    EXPECT_FALSE(Saw("Чтение параметров"));
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());
}

// The write goes to the radio chosen, and its check reads that radio back, not the first of the
// model in range.
TEST_F(ShellRadio, WriteToTheChosenOfTwoRadiosIsCheckedOnThatRadio) {
    Start({"alder,sn=11", "alder,sn=22"});
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    const int firstBank = VirtualRadio(0).BankFlag();
    const int secondBank = VirtualRadio(1).BankFlag();
    dialogs_.radioAnswers = {"22"};
    Transfer(QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(Saw("Проверка записи..."));
    EXPECT_EQ(statuses_.last().toStdString(),
              "Параметры в радиостанцию записаны успешно — радиостанция \"Ольха-1\", заводской "
              "номер 22");
    EXPECT_NE(VirtualRadio(1).BankFlag(), secondBank);
    EXPECT_EQ(VirtualRadio(0).BankFlag(), firstBank);
    EXPECT_EQ(SegmentCommands(VirtualRadio(0), 0x03), 0);
    EXPECT_EQ(SegmentCommands(VirtualRadio(0), 0x02), 1);  // the search's probe only
}

}  // namespace
