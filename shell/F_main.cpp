#include "F_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "F_about.h"
#include "F_editmenu.h"
#include "F_fleet.h"
#include "F_irdaadapter.h"
#include "F_messagelog.h"
#include "F_upr.h"
#include "U_canallist.h"
#include "U_interchangemenu.h"
#include "U_shelltext.h"
#include "Zvc_grid.h"
#include "Zvc_hint.h"
#include "Zvc_main.h"
#include "Zvc_scrollbar.h"

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The local files among what is dragged over the window.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
    return files;
}

constexpr int kRadioColumnWidth = 162;
constexpr int kRadioListColumn = 149;
constexpr int kRadioListRow = 23;
constexpr int kPropertiesHeight = 159;
constexpr int kValueWidth = 138;
constexpr int kValueHeight = 18;
constexpr const char* kRangesHint = "Допустимый диапазон частот";
constexpr int kTimerMs = 5000;

const QColor kSeparatorPen{0xE6, 0xE1, 0xD7};
const QColor kSeparatorGap{0xFF, 0xFA, 0xF0};
const QColor kFadedValue{0xB9, 0xB4, 0xAA};

void SetValueLook(QLabel* label, const QColor& color, std::optional<bool> bold = {}) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    if (bold) {
        QFont font = label->font();
        font.setBold(*bold);
        label->setFont(font);
    }
}

QLabel* TitleLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(12);
    label->setFont(font);
    label->setAutoFillBackground(true);
    label->setFixedHeight(20);
    return label;
}

}  // namespace

Tfrm_Main::Tfrm_Main(CRadios& radios, const CModules& modules, IUserDialogs& dialogs,
                     std::filesystem::path programDir, QWidget* parent)
    : QMainWindow(parent),
      radios_(radios),
      modules_(modules),
      dialogs_(dialogs),
      programDir_(std::move(programDir)) {
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QString::fromUtf8(shelltext::kBaseCaption));
    baseCaption = windowTitle().toStdString();

    QFont font = this->font();
    font.setPixelSize(12);
    setFont(font);

    CreateActions();
    CreateMenus();
    CreateCommandBar();

    auto* central = new QWidget(this);
    auto* split = new QHBoxLayout(central);  // locked: the left column keeps its width
    split->setContentsMargins(0, 0, 0, 0);
    split->setSpacing(3);
    split->addWidget(CreateRadioColumn());
    pnl_Data = new QWidget(central);
    pnl_Data->setObjectName(QStringLiteral("pnl_Data"));
    auto* dataLayout = new QVBoxLayout(pnl_Data);
    dataLayout->setContentsMargins(0, 0, 0, 0);
    split->addWidget(pnl_Data, 1);
    setCentralWidget(central);
    CreateStatusBar();

    hints_ = new ZVCL::TZApplicationHints(this, 500, 12000);
    tmr_ClearText = new QTimer(this);
    tmr_ClearText->setObjectName(QStringLiteral("tmr_ClearText"));
    tmr_ClearText->setSingleShot(true);
    tmr_ClearText->setInterval(kTimerMs);
    connect(tmr_ClearText, &QTimer::timeout, this, [this] {
        stspnl_Text->clear();
        stspnl_Text->setToolTip({});
    });
    tmr_UPR_SN = new QTimer(this);
    tmr_UPR_SN->setObjectName(QStringLiteral("tmr_UPR_SN"));
    tmr_UPR_SN->setInterval(kTimerMs);
    connect(tmr_UPR_SN, &QTimer::timeout, this, &Tfrm_Main::GreyRadioInfo);

    frm_MessageLog = new Tfrm_MessageLog(log_, this);
    setAcceptDrops(true);  // parameter files dropped from a file manager are opened

    SizeWindow();
    radios_.AttachWindow(this, baseCaption);
}

Tfrm_Main::~Tfrm_Main() {
    // A worker still running uses the modules' objects and hands calls to this window.
    radios_.Workers().WaitAll();
    // The views belong to their modules, which release them after the window is gone.
    radios_.ReleaseViews();
    radios_.AttachWindow(nullptr, baseCaption);
}

void Tfrm_Main::SetDialogs(Tfrm_UPR* upr, Tfrm_About* about) {
    upr_ = upr;
    about_ = about;
}

// ---- construction -------------------------------------------------------------------------

QAction* Tfrm_Main::MakeAction(const char* name, const char* caption, QKeySequence key) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    if (!key.isEmpty()) action->setShortcut(key);
    action->setEnabled(false);  // enabled once the window is shown
    addAction(action);          // shortcuts work wherever the focus is in the window
    return action;
}

void Tfrm_Main::CreateActions() {
    act_New = MakeAction("act_New", "Созд&ать");
    act_Open = MakeAction("act_Open", "&Открыть...", QKeySequence(Qt::CTRL | Qt::Key_O));
    act_Save = MakeAction("act_Save", "&Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S));
    act_SaveAs = MakeAction("act_SaveAs", "Со&хранить как...",
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    act_Exit = MakeAction("act_Exit", "В&ыход", QKeySequence(Qt::CTRL | Qt::Key_Q));
    act_Read = MakeAction("act_Read", "Проч&итать параметры", QKeySequence(Qt::Key_F3));
    act_Write = MakeAction("act_Write", "З&аписать параметры", QKeySequence(Qt::Key_F5));
    act_Help = MakeAction("act_Help", "Справка: Программатор", QKeySequence(Qt::Key_F1));
    act_About = MakeAction("act_About", "О программе...");
    act_MessageLog = MakeAction("act_MessageLog", "Журнал сообщений");

    connect(act_New, &QAction::triggered, this, [this] { radios_.NewCommand(); });
    connect(act_Open, &QAction::triggered, this, [this] { radios_.OpenParams(); });
    connect(act_Save, &QAction::triggered, this, [this] { radios_.SaveParams(false, ""); });
    connect(act_SaveAs, &QAction::triggered, this, [this] { radios_.SaveParams(true, ""); });
    connect(act_Exit, &QAction::triggered, this, &QWidget::close);
    connect(act_Read, &QAction::triggered, this, [this] { radios_.StartRead(); });
    connect(act_Write, &QAction::triggered, this, [this] { radios_.StartWrite(); });
    connect(act_Help, &QAction::triggered, this, &Tfrm_Main::OpenHelp);
    connect(act_About, &QAction::triggered, this, &Tfrm_Main::ShowAbout);
    connect(act_MessageLog, &QAction::triggered, this, &Tfrm_Main::ShowMessageLog);
}

void Tfrm_Main::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    QFont font = bar->font();
    font.setPixelSize(12);
    bar->setFont(font);

    QMenu* params = bar->addMenu(QStringLiteral("&Параметры"));
    params->addAction(act_New);
    params->addAction(act_Open);
    mnu_OpenAs = params->addMenu(QStringLiteral("О&ткрыть как"));
    mnu_OpenAs->setObjectName(QStringLiteral("mnu_OpenAs"));
    for (int i = 0; i < radios_.Count(); ++i) {
        QAction* item = mnu_OpenAs->addAction(Q(radios_.Get(i).name));
        connect(item, &QAction::triggered, this, [this, i] { radios_.OpenParamsAs(i); });
    }
    params->addSeparator();
    params->addAction(act_Save);
    params->addAction(act_SaveAs);
    params->addSeparator();
    AddInterchangeItems(
        *params, *this,
        {[this] { ImportCanalList(radios_); }, [this] { ExportCanalList(radios_); },
         [this] { PrintCanalListTo(radios_); }, [this] { CompareWithRadio(radios_); },
         [this](const std::string& file) { radios_.OpenRecent(file); }});
    params->addSeparator();
    params->addAction(act_Exit);

    QMenu* radio = bar->addMenu(QStringLiteral("&Радиостанция"));
    radio->addAction(act_Read);
    radio->addAction(act_Write);
    radio->addSeparator();
    AddFleetItem(*radio, radios_, *this);
    radio->addSeparator();
    act_IrdaAdapter = AddIrdaAdapterItem(*radio, radios_, *this);

    QMenu* help = bar->addMenu(QStringLiteral("Справка"));
    help->addAction(act_Help);
    help->addAction(act_MessageLog);
    help->addAction(act_About);
    editmenu::AddEditMenu(*this, radios_);
}

QToolButton* Tfrm_Main::MakeButton(const char* name, const char* caption, QAction* action,
                                   int glyph, const char* hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromUtf8(name));
    button->setText(QString::fromUtf8(caption));
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(glyph)));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(70, 40);
    button->setToolTip(QString::fromUtf8(hint));
    button->setEnabled(action->isEnabled());
    connect(button, &QToolButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    return button;
}

void Tfrm_Main::CreateCommandBar() {
    QToolBar* bar = addToolBar(QStringLiteral("CommandBar"));
    bar->setObjectName(QStringLiteral("CommandBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->addWidget(MakeButton("cmd_Open", "Открыть", act_Open, QStyle::SP_DialogOpenButton,
                              "Открыть файл с ранее сохраненными параметрами (Ctrl+O)"));
    bar->addWidget(MakeButton("cmd_Save", "Сохранить", act_Save, QStyle::SP_DialogSaveButton,
                              "Сохранить установленные параметры в файл (Ctrl+S)"));
    auto* spacer = new QWidget(bar);
    spacer->setObjectName(QStringLiteral("cmd_spc_1"));
    spacer->setFixedWidth(12);
    bar->addWidget(spacer);
    bar->addWidget(MakeButton("cmd_Read", "Прочитать", act_Read, QStyle::SP_ArrowDown,
                              "Прочитать параметры из радиостанции (F3)"));
    bar->addWidget(MakeButton("cmd_Write", "Записать", act_Write, QStyle::SP_ArrowUp,
                              "Записать установленные параметры в радиостанцию (F5)"));
}

QWidget* Tfrm_Main::CreateRadioColumn() {
    auto* column = new QWidget(this);
    column->setObjectName(QStringLiteral("pnl_Radio"));
    column->setFixedWidth(kRadioColumnWidth);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* listTitle = TitleLabel("lbl_RadioListTitle", " Радиостанции", column);
    layout->addWidget(listTitle);

    grd_RadioList = new ZVCL::TZ_Grid(column);
    grd_RadioList->setObjectName(QStringLiteral("grd_RadioList"));
    grd_RadioList->setFont(ZVCL::TahomaFont(12));
    grd_RadioList->SetFixedCols(0);
    grd_RadioList->SetFixedRows(0);
    grd_RadioList->SetDefColWidth(kRadioListColumn);
    grd_RadioList->SetDefRowHeight(kRadioListRow);
    grd_RadioList->SetCols(1);
    grd_RadioList->SetRows(radios_.Count());
    grd_RadioList->OnDrawCell = [this](int, int row, const QRect& rect, QPainter& painter) {
        DrawRadioCell(row, rect, painter);
    };
    grd_RadioList->OnHintCell = [this](int, int row, QString& text) {
        if (row < radios_.Count()) text = QString::fromUtf8(shelltext::kRadioListHint);
    };
    grd_RadioList->OnClickCellMouse = [this](int, int row, int, int, Qt::MouseButton,
                                             Qt::KeyboardModifiers) { radios_.SelectCommand(row); };
    grd_RadioList->OnClickCellKey = [this](int, int row, int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
            radios_.SelectCommand(row);
    };
    layout->addWidget(grd_RadioList, 1);

    layout->addWidget(TitleLabel("lbl_PropertiesTitle", " Свойства", column));
    layout->addWidget(CreateProperties());
    return column;
}

QWidget* Tfrm_Main::CreateProperties() {
    pnl_Properties = new QWidget(this);
    pnl_Properties->setObjectName(QStringLiteral("pnl_Properties"));
    pnl_Properties->setFixedHeight(kPropertiesHeight);
    auto* layout = new QVBoxLayout(pnl_Properties);
    layout->setContentsMargins(0, 6, 0, 6);
    layout->setSpacing(1);
    const auto pair = [&](const char* valueName, const char* captionName, const char* caption,
                          const char* hint) {
        auto* value = new QLabel(pnl_Properties);
        value->setObjectName(QString::fromUtf8(valueName));
        value->setFixedWidth(kValueWidth);
        value->setFixedHeight(kValueHeight);
        value->setAlignment(Qt::AlignCenter);
        QFont valueFont = value->font();
        valueFont.setPixelSize(11);  // "145-149, 165-174 МГц" fits the 138 pixels
        value->setFont(valueFont);
        value->setFrameShape(QFrame::StyledPanel);
        value->setToolTip(QString::fromUtf8(hint));
        auto* label = new QLabel(QString::fromUtf8(caption), pnl_Properties);
        label->setObjectName(QString::fromUtf8(captionName));
        label->setAlignment(Qt::AlignCenter);
        label->setToolTip(QString::fromUtf8(hint));
        layout->addWidget(value, 0, Qt::AlignHCenter);
        layout->addWidget(label, 0, Qt::AlignHCenter);
        layout->addSpacing(8);
        return std::pair{value, label};
    };
    txt_FreqRanges = pair("txt_FreqRanges", "lbl_FreqRanges", "Диапазон частот", kRangesHint).first;
    // Four ranges do not fit one line of the 138 pixels: they wrap after a comma.
    txt_FreqRanges->setWordWrap(true);
    auto converter =
        pair("txt_Maskirator", "lbl_UPR", "УПР", "Установленное устройство преобразования речи");
    txt_Maskirator = converter.first;
    lbl_UPR = converter.second;
    lbl_UPR->installEventFilter(this);
    txt_SN = pair("txt_SN", "lbl_SN", "Заводской номер", "Заводской номер радиостанции").first;
    layout->addStretch(1);
    return pnl_Properties;
}

void Tfrm_Main::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    stspnl_Text = new QLabel(bar);
    stspnl_Text->setObjectName(QStringLiteral("stspnl_Text"));
    // At least the classic 360 px, and whatever the bar has left: messages that name the radio
    // and its serial number, or a file's path, must not be cut at 360 px.
    stspnl_Text->setMinimumWidth(360);
    stspnl_Text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sts_Progress = new QProgressBar(bar);
    sts_Progress->setObjectName(QStringLiteral("sts_Progress"));
    sts_Progress->setFixedWidth(210);
    sts_Progress->setRange(0, 100);
    sts_Progress->setFormat(QStringLiteral("%p%"));
    sts_Progress->setMaximumHeight(16);
    sts_Progress->hide();
    stspnl_RName = new QLabel(bar);
    stspnl_RName->setObjectName(QStringLiteral("stspnl_RName"));
    stspnl_RName->setFixedWidth(210);
    stspnl_RName->setAlignment(Qt::AlignCenter);
    bar->addWidget(stspnl_Text, 1);
    bar->addWidget(sts_Progress);
    bar->addPermanentWidget(stspnl_RName);
}

SClientSizing Tfrm_Main::SizingForScreen(QSize screen) {
    if (screen.width() < 801 || screen.height() <= 600) return {800, 550, true};
    return {955, 648, false};
}

void Tfrm_Main::SizeWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const SClientSizing sizing = SizingForScreen(screen ? screen->size() : QSize(1280, 1024));
    compact_ = sizing.compact;
    minClientWidth = sizing.width;
    minClientHeight = sizing.height;
    // The client area is what lies below the menu bar; the window never gets smaller than the
    // minimum client area plus the bar.
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(minClientWidth, minClientHeight + menuHeight);
    resize(minClientWidth, minClientHeight + menuHeight);
}

void Tfrm_Main::ShowInitially() {
    if (compact_) {
        // Fill the screen also where no window manager maximizes.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
        showMaximized();
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

// ---- window state -------------------------------------------------------------------------

void Tfrm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    if (radios_.Count() > 0) radios_.Select(0);
    for (QAction* action : {act_New, act_Open, act_Save, act_SaveAs, act_Exit, act_Read, act_Write,
                            act_Help, act_MessageLog, act_About})
        action->setEnabled(true);
}

void Tfrm_Main::closeEvent(QCloseEvent* event) {
    // A running transfer is let finish first, serving its hand-offs meanwhile; then every
    // modified set gets the question an open or a read asks, and Cancel keeps the program.
    radios_.Workers().WaitAll();
    if (!radios_.QuerySaveAll()) {
        event->ignore();
        return;
    }
    grd_RadioList->KillHint();
    event->accept();
}

void Tfrm_Main::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void Tfrm_Main::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppedFiles(event->mimeData());
    if (files.empty()) return;
    event->acceptProposedAction();
    // Opened after the drop has ended, so that the file manager is not held by the questions.
    QTimer::singleShot(0, this, [this, files] { radios_.OpenFiles(files); });
}

void Tfrm_Main::UpdateState() {
    const SRadio* entry = radios_.CurrentEntry();
    if (!entry) return;
    const QString caption =
        Q(shelltext::ComposeCaption(baseCaption, entry->radio->FileName(), entry->modified));
    if (caption != windowTitle()) setWindowTitle(caption);
    grd_RadioList->SetRow(radios_.Current());
    grd_RadioList->update();
    RefreshProperties();
}

QWidget* Tfrm_Main::DataPanel() {
    return pnl_Data;
}

void Tfrm_Main::SetRadioNameText(const std::string& text) {
    stspnl_RName->setText(Q(text));
}

void Tfrm_Main::ShowStatus(const std::string& text) {
    stspnl_Text->setText(Q(text));
    stspnl_Text->setToolTip(stspnl_Text->text());
    log_.Add(stspnl_Text->text());
    if (frm_MessageLog->isVisible()) frm_MessageLog->Refresh();
    emit StatusShown(stspnl_Text->text());
}

void Tfrm_Main::SetClearTimer(bool on) {
    if (on)
        tmr_ClearText->start();
    else
        tmr_ClearText->stop();
}

void Tfrm_Main::SetBusy() {
    EnableSetCommands(false);
}

void Tfrm_Main::SetIdle() {
    EnableSetCommands(true);
}

void Tfrm_Main::EnableSetCommands(bool enabled) {
    act_Read->setEnabled(enabled);
    act_Write->setEnabled(enabled);
    // The searches use the adapter: it is changed only between them.
    act_IrdaAdapter->setEnabled(enabled);
    // The set being read or written is not edited under the worker, nor replaced or dropped
    // (new parameters, open, another radio attached) while the search fills it.
    pnl_Data->setEnabled(enabled);
    act_New->setEnabled(enabled);
    act_Open->setEnabled(enabled);
    mnu_OpenAs->setEnabled(enabled);
    grd_RadioList->setEnabled(enabled);
}

void Tfrm_Main::ShowProgress(int percent) {
    if (percent != -1) {
        sts_Progress->setValue(percent);
        sts_Progress->show();
        return;
    }
    sts_Progress->hide();
    UpdateState();
}

// ---- properties panel ---------------------------------------------------------------------

void Tfrm_Main::RefreshProperties() {
    const SRadio* entry = radios_.CurrentEntry();
    if (!entry) return;
    const IRadioData* data = entry->radio->Data();
    ShowRanges(data ? Q(data->RangeText()) : QString());
    txt_SN->clear();
    const int chosen = entry->radio->ConverterType();
    if (chosen == -1) {
        txt_Maskirator->clear();
    } else {
        txt_Maskirator->setText(Q(shelltext::UprTypeName(chosen)));
        SetValueLook(txt_Maskirator, Qt::black, true);
    }
}

void Tfrm_Main::ShowRanges(const QString& text) {
    txt_FreqRanges->setText(text);
    // One line as a rule; as many as the text needs when it is longer, and the whole text in
    // the hint as well.
    const int frame = 2 * txt_FreqRanges->frameWidth();
    const int lines =
        txt_FreqRanges->fontMetrics()
            .boundingRect(QRect(0, 0, kValueWidth - frame - 2, 1000), Qt::TextWordWrap, text)
            .height();
    txt_FreqRanges->setFixedHeight(std::max(kValueHeight, lines + frame + 2));
    const QString hint = QString::fromUtf8(kRangesHint);
    txt_FreqRanges->setToolTip(text.isEmpty() ? hint : hint + QLatin1Char('\n') + text);
}

void Tfrm_Main::ShowRadioInfo() {
    const SRadio* entry = radios_.CurrentEntry();
    if (!entry) return;
    txt_SN->setText(Q(entry->radio->SerialNumber()));
    SetValueLook(txt_SN, Qt::black);
    if (entry->radio->ConverterType() == -1) {
        const IRadioData* data = entry->radio->Data();
        txt_Maskirator->setText(data ? Q(shelltext::UprTypeName(data->RadioConverterType()))
                                     : QString());
        SetValueLook(txt_Maskirator, Qt::black, false);
    }
    tmr_UPR_SN->start();
}

void Tfrm_Main::GreyRadioInfo() {
    tmr_UPR_SN->stop();
    SetValueLook(txt_SN, kFadedValue);
    const SRadio* entry = radios_.CurrentEntry();
    if (entry && entry->radio->ConverterType() == -1) SetValueLook(txt_Maskirator, kFadedValue);
}

bool Tfrm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbl_UPR && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::KeyboardModifiers held = mouse->modifiers();
        if ((held & Qt::ControlModifier) && (held & Qt::AltModifier)) {
            ConverterGesture();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tfrm_Main::ConverterGesture() {
    const SRadio* entry = radios_.CurrentEntry();
    if (!entry || !upr_) return;
    const QPoint panel = pnl_Properties->mapToGlobal(QPoint(0, 0));
    const int captionTop = lbl_UPR->mapTo(pnl_Properties, QPoint(0, 0)).y();
    upr_->move(panel.x() + 7, panel.y() + captionTop - upr_->height() - 6);
    const std::optional<int> code =
        dialogs_.RunConverterDialog(*upr_, entry->radio->ConverterType());
    if (!code) return;
    // Only the radio's chosen type changes; the parameters are not marked modified.
    entry->radio->SetConverterType(*code);
    UpdateState();
}

// ---- list ---------------------------------------------------------------------------------

QString Tfrm_Main::RadioRowText(int row) const {
    if (row < 0 || row >= radios_.Count()) return {};
    const SRadio& entry = radios_.Get(row);
    return QStringLiteral(" ") + Q(entry.name) +
           (entry.modified ? QStringLiteral(" *") : QString());
}

QFont Tfrm_Main::RadioRowFont(int row) const {
    return row == radios_.Current() ? ZVCL::KitFont(QStringLiteral("Nina"), 12, true)
                                    : ZVCL::TahomaFont(12);
}

void Tfrm_Main::DrawRadioCell(int row, const QRect& rect, QPainter& painter) {
    if (row >= radios_.Count()) return;
    const int w = rect.width();
    const int h = rect.height();
    painter.save();
    painter.translate(rect.topLeft());

    const bool cursor = row == grd_RadioList->Row() && grd_RadioList->hasFocus();
    const QColor highlight = palette().color(QPalette::Highlight);
    if (cursor) painter.fillRect(QRect(QPoint(1, 1), QPoint(w - 2, h - 2)), highlight);

    // Dotted separator: dashes of three pixels with three-pixel gaps, centred, a dash at
    // each end.
    const int length = (w / 6) * 6 - 3;
    const int start = (w - length) / 2;
    for (int x = 0; x < length; ++x)
        painter.fillRect(start + x, 22, 1, 1, (x % 6) < 3 ? kSeparatorPen : kSeparatorGap);

    const QRect textRect(0, 0, w - 1, h - 1);
    const bool current = row == radios_.Current();
    painter.setFont(RadioRowFont(row));
    painter.setPen(cursor ? Qt::white : Qt::black);
    painter.drawText(textRect.adjusted(current ? 1 : 0, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, RadioRowText(row));

    if (row == grd_RadioList->HotRow()) {
        const int cw = textRect.width();
        const int ch = textRect.height();
        painter.setPen(QPen(highlight, 1));
        const auto corner = [&](QPoint a, QPoint b, QPoint c) {
            const QPoint points[] = {a, b, c};
            painter.drawPolyline(points, 3);
        };
        corner({1, 5}, {1, 1}, {6, 1});
        corner({cw - 6, 1}, {cw - 2, 1}, {cw - 2, 6});
        corner({cw - 2, ch - 6}, {cw - 2, ch - 2}, {cw - 7, ch - 2});
        corner({5, ch - 2}, {1, ch - 2}, {1, ch - 7});
    }
    painter.restore();
}

// ---- help and About -----------------------------------------------------------------------

void Tfrm_Main::OpenHelp() {
    const std::filesystem::path file = programDir_ / shelltext::kHelpFile;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        dialogs_.ShowError(baseCaption, shelltext::kMsgNoHelp);
        return;
    }
    if (!dialogs_.OpenDocument(file.string()))
        dialogs_.ShowError(baseCaption, feedback::NoViewerText(file.string()));
}

void Tfrm_Main::ShowMessageLog() {
    frm_MessageLog->Refresh();
    if (!frm_MessageLog->isVisible()) {
        QRect box = frm_MessageLog->frameGeometry();
        box.moveCenter(frameGeometry().center());
        frm_MessageLog->move(box.topLeft());
    }
    frm_MessageLog->show();
    frm_MessageLog->raise();
    frm_MessageLog->activateWindow();
}

void Tfrm_Main::ShowAbout() {
    if (!about_) return;
    about_->SetModuleSummary(Q(modules_.Summary()));
    QRect box = about_->frameGeometry();
    box.moveCenter(frameGeometry().center());
    about_->move(box.topLeft());
    dialogs_.RunAboutBox(*about_);
}
