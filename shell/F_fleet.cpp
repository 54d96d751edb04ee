#include "F_fleet.h"

#include <QAction>
#include <QDateTime>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <exception>

#include "U_backup.h"
#include "U_fleetreport.h"
#include "U_fleetsearch.h"
#include "U_outfile.h"
#include "U_radios.h"
#include "U_shelltext.h"

namespace {

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string U(const QString& text) {
    return text.toUtf8().toStdString();
}

QString ResultCaption(fleet::EResult result) {
    switch (result) {
        case fleet::EResult::Written:
            return QStringLiteral("записана");
        case fleet::EResult::Skipped:
            return QStringLiteral("пропущена");
        case fleet::EResult::Failed:
            break;
    }
    return QStringLiteral("ОШИБКА");
}

constexpr const char* kPutNext = "Поместите следующую радиостанцию в зону связи";

}  // namespace

// The group on its own thread. Whatever touches the dialog or the parameter set runs on the UI
// thread through a blocking hand-off; the worker keeps only the link and its own counters.
class TFleetThread final : public QThread, private fleet::IFleetObserver {
  public:
    TFleetThread(Tfrm_Fleet& dialog, fleet::SFleetSettings settings)
        : dialog_(dialog), settings_(std::move(settings)) {
        dialog_.radios_.Workers().Enter();
    }
    ~TFleetThread() override {
        wait();
        dialog_.radios_.Workers().Leave();
    }

  protected:
    void run() override {
        QString failure;
        try {
            fleet::CLinkFleetRadios radios(dialog_.radios_.Ports());
            fleet::CLinkRadioWriter writer(
                radios, [this](const std::function<void()>& call) { HandOffRethrowing(call); },
                [this](const std::string& status, int percent) {
                    HandOff([&] { dialog_.ShowPrompt(Q(serial_ + ": " + status), percent); });
                },
                backup::BackupFolder());
            fleet::CFleetGroup group(dialog_.radio_, radios, writer, *dialog_.log_, settings_);
            group.Run(*this);
        } catch (const std::exception& error) {
            failure = Q(error.what());
        } catch (...) {
            failure = Q(shelltext::kWriteError);
        }
        HandOff([&] { dialog_.Finished(failure); });
    }

  private:
    template <class Call>
    void HandOff(Call&& call) {
        QMetaObject::invokeMethod(&dialog_, std::forward<Call>(call), Qt::BlockingQueuedConnection);
    }
    void HandOffRethrowing(const std::function<void()>& call) {
        std::exception_ptr failure;
        HandOff([&] {
            try {
                call();
            } catch (...) {
                failure = std::current_exception();
            }
        });
        if (failure) std::rethrow_exception(failure);
    }

    void Searching() override {
        HandOff([this] { dialog_.ShowPrompt(QString::fromUtf8(kPutNext), -1); });
    }
    void Started(const fleet::SRadioInRange& radio) override {
        serial_ = radio.model + " " + radio.serial;
        HandOff([this] { dialog_.ShowPrompt(Q(serial_ + ": радиостанция найдена"), 0); });
    }
    void Done(const fleet::SLogRow& row) override {
        HandOff([&] { dialog_.AddRow(row); });
    }
    void AlreadyWritten(const fleet::SRadioInRange& radio) override {
        const QString text = Q(radio.serial) +
                             QStringLiteral(": уже записана этим файлом, пропущена. ") +
                             QString::fromUtf8(kPutNext);
        HandOff([&] { dialog_.ShowPrompt(text, -1); });
    }
    bool ShouldStop() override { return dialog_.stop_.load(); }
    std::vector<std::string> TakeAgain() override {
        std::vector<std::string> again;
        HandOff([&] { again = dialog_.TakeAgain(); });
        return again;
    }

    Tfrm_Fleet& dialog_;
    fleet::SFleetSettings settings_;
    std::string serial_;
};

Tfrm_Fleet::Tfrm_Fleet(QWidget* parent, CRadios& radios, IRadio& radio, std::filesystem::path file,
                       std::string checksum)
    : QDialog(parent),
      radios_(radios),
      radio_(radio),
      file_(std::move(file)),
      checksum_(std::move(checksum)) {
    setObjectName(QStringLiteral("frm_Fleet"));
    setWindowTitle(QStringLiteral("Запись в группу радиостанций ") + Q(radio.Name()));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    auto* head = new QGridLayout;
    lbl_File = new QLabel(Q(file_.string()) + QStringLiteral("\nSHA-256: ") +
                          Q(checksum_.substr(checksum_.find(':') + 1)));
    lbl_File->setTextInteractionFlags(Qt::TextSelectableByMouse);
    head->addWidget(new QLabel(QStringLiteral("Файл параметров:")), 0, 0);
    head->addWidget(lbl_File, 0, 1, 1, 2);
    edt_Log = new QLineEdit(Q(fleet::DefaultLogFile(file_).string()));
    edt_Log->setObjectName(QStringLiteral("edt_Log"));
    btn_Log = new QPushButton(QStringLiteral("Обзор..."));
    head->addWidget(new QLabel(QStringLiteral("Журнал:")), 1, 0);
    head->addWidget(edt_Log, 1, 1);
    head->addWidget(btn_Log, 1, 2);
    edt_Note = new QLineEdit;
    edt_Note->setObjectName(QStringLiteral("edt_Note"));
    edt_Note->setPlaceholderText(QStringLiteral("например, номер заказа или подразделение"));
    head->addWidget(new QLabel(QStringLiteral("Примечание:")), 2, 0);
    head->addWidget(edt_Note, 2, 1, 1, 2);
    layout->addLayout(head);

    lbl_Prompt =
        new QLabel(QStringLiteral("Нажмите «Начать», затем помещайте радиостанции в зону "
                                  "связи одну за другой"));
    lbl_Prompt->setObjectName(QStringLiteral("lbl_Prompt"));
    QFont big = lbl_Prompt->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    lbl_Prompt->setFont(big);
    lbl_Prompt->setWordWrap(true);
    layout->addWidget(lbl_Prompt);
    prg_Radio = new QProgressBar;
    prg_Radio->setRange(0, 100);
    prg_Radio->setVisible(false);
    layout->addWidget(prg_Radio);
    lbl_Counts = new QLabel;
    lbl_Counts->setObjectName(QStringLiteral("lbl_Counts"));
    layout->addWidget(lbl_Counts);

    grd_Radios = new QTableWidget(0, 4);
    grd_Radios->setObjectName(QStringLiteral("grd_Radios"));
    grd_Radios->setHorizontalHeaderLabels({QStringLiteral("Заводской номер"),
                                           QStringLiteral("Время"), QStringLiteral("Результат"),
                                           QStringLiteral("Сообщение")});
    grd_Radios->horizontalHeader()->setStretchLastSection(true);
    grd_Radios->verticalHeader()->setVisible(false);
    grd_Radios->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grd_Radios->setSelectionBehavior(QAbstractItemView::SelectRows);
    grd_Radios->setSelectionMode(QAbstractItemView::SingleSelection);
    grd_Radios->setColumnWidth(0, 130);
    grd_Radios->setColumnWidth(1, 80);
    grd_Radios->setColumnWidth(2, 100);
    layout->addWidget(grd_Radios, 1);

    auto* buttons = new QHBoxLayout;
    btn_Start = new QPushButton(QStringLiteral("Начать"));
    btn_Stop = new QPushButton(QStringLiteral("Остановить"));
    btn_Again = new QPushButton(QStringLiteral("Записать еще раз"));
    btn_Again->setToolTip(
        QStringLiteral("Записать выбранную в таблице радиостанцию еще раз, когда она снова "
                       "окажется в зоне связи"));
    btn_Report = new QPushButton(QStringLiteral("Отчет..."));
    btn_Close = new QPushButton(QStringLiteral("Закрыть"));
    for (QPushButton* button : {btn_Start, btn_Stop, btn_Again, btn_Report}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(btn_Close);
    layout->addLayout(buttons);

    connect(btn_Start, &QPushButton::clicked, this, [this] { Start(); });
    connect(btn_Stop, &QPushButton::clicked, this, [this] { Stop(); });
    connect(btn_Again, &QPushButton::clicked, this, [this] { WriteAgain(); });
    connect(btn_Report, &QPushButton::clicked, this, [this] { AskReport(); });
    connect(btn_Close, &QPushButton::clicked, this, &Tfrm_Fleet::reject);
    connect(btn_Log, &QPushButton::clicked, this, [this] { ChooseLog(); });
    connect(grd_Radios, &QTableWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

Tfrm_Fleet::~Tfrm_Fleet() {
    Stop();
}

void Tfrm_Fleet::SetLogFile(const std::filesystem::path& log) {
    edt_Log->setText(Q(log.string()));
}

void Tfrm_Fleet::SetNote(const QString& note) {
    edt_Note->setText(note);
}

bool Tfrm_Fleet::Start() {
    if (Running()) return true;
    const std::filesystem::path logFile = std::filesystem::path(U(edt_Log->text().trimmed()));
    if (!log_ || log_->File() != logFile) {
        try {
            log_ = std::make_unique<fleet::CFleetLog>(logFile);
        } catch (const std::exception& error) {
            log_.reset();
            ShowPrompt(Q(error.what()), -1);
            return false;
        }
        rows_ = log_->Rows();
        if (!log_->TornLine().empty())
            ShowPrompt(QStringLiteral("Неполная последняя строка журнала отброшена: ") +
                           Q(log_->TornLine()),
                       -1);
    }
    stop_ = false;
    radios_.Window().SetBusy();
    thread_ = std::make_unique<TFleetThread>(
        *this, fleet::SFleetSettings{file_, checksum_, 0, std::nullopt});
    // A group that ends by itself (its log could not be written) is done with here.
    connect(thread_.get(), &QThread::finished, this, [this] {
        if (thread_ && thread_->isFinished()) {
            thread_.reset();
            UpdateButtons();
        }
    });
    thread_->start();
    UpdateButtons();
    return true;
}

void Tfrm_Fleet::Stop() {
    if (!thread_) return;
    stop_ = true;
    ShowPrompt(QStringLiteral("Остановка после текущей радиостанции..."), -1);
    // The worker hands calls to this thread until it ends: serve them while waiting.
    QEventLoop loop;
    connect(thread_.get(), &QThread::finished, &loop, &QEventLoop::quit);
    if (!thread_->isFinished()) loop.exec();
    thread_.reset();
    UpdateButtons();
}

void Tfrm_Fleet::reject() {
    Stop();
    QDialog::reject();
}

void Tfrm_Fleet::ShowPrompt(const QString& text, int percent) {
    lbl_Prompt->setText(text);
    prg_Radio->setVisible(percent >= 0);
    if (percent >= 0) prg_Radio->setValue(percent);
}

void Tfrm_Fleet::AddRow(const fleet::SLogRow& row) {
    rows_.push_back(row);
    switch (row.result) {
        case fleet::EResult::Written:
            ++counts_.written;
            break;
        case fleet::EResult::Failed:
            ++counts_.failed;
            break;
        case fleet::EResult::Skipped:
            ++counts_.skipped;
            break;
    }
    const int at = grd_Radios->rowCount();
    grd_Radios->insertRow(at);
    const QString time = Q(row.time.substr(row.time.find('T') + 1));
    const QStringList cells = {Q(row.serial), time, ResultCaption(row.result), Q(row.message)};
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (row.result == fleet::EResult::Failed) item->setForeground(Qt::red);
        if (column == 3) item->setToolTip(cells[column]);
        grd_Radios->setItem(at, column, item);
    }
    grd_Radios->scrollToBottom();
    UpdateButtons();
}

std::vector<std::string> Tfrm_Fleet::TakeAgain() {
    return std::exchange(again_, {});
}

void Tfrm_Fleet::Finished(const QString& failure) {
    radios_.Window().SetIdle();
    // The set was lent to each radio's write and given back without notification.
    radio_.Ware()->UpdateView();
    prg_Radio->setVisible(false);
    lbl_Prompt->setText(failure.isEmpty() ? QStringLiteral("Запись в группу остановлена")
                                          : failure);
}

void Tfrm_Fleet::WriteAgain() {
    const int row = grd_Radios->currentRow();
    if (row < 0) return;
    const std::string serial = U(grd_Radios->item(row, 0)->text());
    again_.push_back(serial);
    if (!Running() && !Start()) return;
    ShowPrompt(QStringLiteral("Радиостанция ") + Q(serial) +
                   QStringLiteral(" будет записана еще раз: поместите ее в зону связи"),
               -1);
}

bool Tfrm_Fleet::PrintReport(const std::filesystem::path& out) {
    const fleet::SFleetReport report{radio_.Name(), file_, checksum_, U(edt_Note->text()),
                                     fleet::GroupRows(rows_, checksum_)};
    return fleet::PrintFleetReport(report, out);
}

void Tfrm_Fleet::AskReport() {
    std::filesystem::path suggested = file_;
    suggested.replace_extension(".fleet.pdf");
    const QString out = QFileDialog::getSaveFileName(
        this, QStringLiteral("Отчет о записи в группу"), Q(suggested.string()),
        QStringLiteral("Документы PDF (*.pdf)"));
    if (out.isEmpty()) return;
    lbl_Prompt->setText(PrintReport(std::filesystem::path(U(out)))
                            ? QStringLiteral("Отчет сохранен: ") + out
                            : QString::fromUtf8(paramfile::kMsgSaveError));
}

void Tfrm_Fleet::ChooseLog() {
    const QString log = QFileDialog::getSaveFileName(
        this, QStringLiteral("Журнал записи в группу"), edt_Log->text(),
        QStringLiteral("Журналы CSV (*.csv)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!log.isEmpty()) edt_Log->setText(log);
}

void Tfrm_Fleet::UpdateButtons() {
    const bool running = Running();
    btn_Start->setEnabled(!running);
    btn_Stop->setEnabled(running);
    btn_Log->setEnabled(!running);
    edt_Log->setEnabled(!running);
    btn_Again->setEnabled(grd_Radios->currentRow() >= 0);
    btn_Report->setEnabled(!rows_.empty());
    lbl_Counts->setText(QStringLiteral("Записано: %1    Ошибок: %2    Пропущено: %3")
                            .arg(counts_.written)
                            .arg(counts_.failed)
                            .arg(counts_.skipped));
}

void AddFleetItem(QMenu& menu, CRadios& radios, QWidget& window) {
    QAction* item = menu.addAction(QStringLiteral("Запись в группу радиостанций…"));
    item->setObjectName(QStringLiteral("act_Fleet"));
    QObject::connect(item, &QAction::triggered, &window, [&radios, &window] {
        const SRadio* entry = radios.CurrentEntry();
        if (!entry || radios.Workers().Busy() || !entry->radio->Data()) return;
        IRadio& radio = *entry->radio;
        // The group writes the file as it is on disk and logs its checksum: unsaved changes
        // go into the file first.
        if ((radio.FileName().empty() || radio.Data()->IsModified()) &&
            !radios.SaveParams(false, ""))
            return;
        std::string message;
        if (!radio.Data()->Validate(message)) {
            radios.Report(message);
            return;
        }
        const std::filesystem::path file = std::filesystem::absolute(radio.FileName());
        std::string bytes;
        if (!interchange::ReadInputFile(file, bytes).empty()) {
            radios.Window().ShowStatus(paramfile::kMsgReadError);
            return;
        }
        Tfrm_Fleet dialog(&window, radios, radio, file, fleet::FileChecksum(bytes));
        dialog.exec();
    });
}
