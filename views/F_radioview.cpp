#include "F_radioview.h"

#include <QProxyStyle>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

#include "F_viewtexts.h"
#include "Zvc_grid.h"
#include "Zvc_label.h"
#include "Zvc_scrollbar.h"

namespace views {

namespace {

constexpr int kNormalRowWidth = 700;
constexpr int kCompactRowWidth = 564;
constexpr int kGroupIndent = 23;
constexpr int kScanColWidth[2] = {70, 54};
constexpr int kScanButtonWidth = 110;
constexpr int kCompactTabFont = 11;
constexpr int kCompactTabSpace = 10;

// The page tabs of the compact layout: less room around each caption, so that the captions of
// all five pages stand whole, without scroll arrows, in a view on an 800-pixel screen.
class TCompactTabStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) return kCompactTabSpace;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// What a screen reader reads in the channel table: a cell's value (a tick as Да or Нет) and
// its column's heading, the header blocks above it on one line.
void DescribeForReaders(TCanalGrid& canals) {
    ZVCL::TZ_Grid& grid = canals.Grid();
    grid.setAccessibleName(QStringLiteral("Параметры каналов"));
    grid.OnCellText = [&canals](int col, int row) {
        const SCanalGridModel& model = canals.Model();
        const int canal = TCanalGrid::CanalOfRow(row);
        if (col < 0 || col >= static_cast<int>(model.columns.size()) || canal < 0 ||
            (model.hasData && !model.hasData()))
            return QString();
        const SCanalColumn& column = model.columns[static_cast<std::size_t>(col)];
        if (column.text) return column.text(canal);
        if (column.image)
            return column.image(canal) == ti_Empty ? YesNoText(false) : YesNoText(true);
        return QString();
    };
    grid.OnColumnHeading = [&canals](int col) {
        std::vector<SHeaderBlock> blocks;
        for (const SHeaderBlock& block : canals.Model().header)
            if (block.col0 <= col && col <= block.col1) blocks.push_back(block);
        std::ranges::sort(blocks, {}, &SHeaderBlock::row0);
        QStringList parts;
        for (const SHeaderBlock& block : blocks)
            parts << QString(block.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
        return parts.join(QLatin1Char(' '));
    };
}

}  // namespace

TRadioView::TRadioView(CRadioWare& ware, TLayout layout, const QString& name, QWidget* parent)
    : QWidget(parent), ware_(ware), layout_(layout) {
    setObjectName(name);
    setAccessibleName(QString::fromStdString(ware.RadioCount() > 0 ? ware.GetRadio(0)->Name()
                                                                   : ware.Description()));
    setFont(ZVCL::TahomaFont(12));
    pgc_Data_ = new QTabWidget(this);
    pgc_Data_->setObjectName("pgc_Data");
    pages_ = std::make_unique<TPageSet>(*pgc_Data_, flags_);
    if (Compact()) {
        QTabBar* tabs = pgc_Data_->tabBar();
        auto* style = new TCompactTabStyle;
        style->setParent(this);  // outlives the page control, which goes first
        tabs->setStyle(style);
        tabs->setFont(ZVCL::TahomaFont(kCompactTabFont));
        tabs->setElideMode(Qt::ElideNone);
    }
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(pgc_Data_);
}

TRadioView::~TRadioView() {
    DeletePages();
}

void TRadioView::DeletePages() {
    delete pgc_Data_.data();
}

int TRadioView::RowWidth() const {
    return Compact() ? kCompactRowWidth : kNormalRowWidth;
}

int TRadioView::GroupRowWidth() const {
    return RowWidth() - kGroupIndent;
}

void TRadioView::UpdateView() {
    if (canals_) canals_->CancelEditor();
    pages_->FillActive();
}

void TRadioView::AddPages(const SPagePanels& panels, TPageFocus focus) {
    const auto add = [this, focus](const char* name, const QString& caption, QWidget* inner,
                                   std::function<void()> fill, bool fillHeight = false) {
        if (focus == TPageFocus::InnerPanel) {
            inner->setFocusPolicy(Qt::ClickFocus);
            fill = [panel = QPointer<QWidget>(inner), fill = std::move(fill)] {
                fill();
                if (panel) panel->setFocus(Qt::OtherFocusReason);
            };
        }
        pages_->AddPage(name, caption, inner, std::move(fill), fillHeight);
    };
    add(
        "tbs_Canals", QStringLiteral("Параметры каналов"), panels.canals,
        [this] { canals_->Refresh(); }, true);
    add("tbs_Basics", QStringLiteral("Основные параметры"), panels.basics,
        [this] { FillBasics(); });
    add("tbs_Scanning", QStringLiteral("Параметры сканирования"), panels.scanning,
        [this] { FillScanning(); });
    add("tbs_Sames", QStringLiteral("Дополнительные параметры"), panels.sames,
        [this] { FillSames(); });
    if (panels.key)
        add("tbs_Key", QStringLiteral("  Ключ  "), panels.key, [this] { key_->Fill(); });
}

ZVCL::TZPanel* TRadioView::NewPagePanel(const char* name) {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName(name);
    panel->SetBorderType(ZVCL::bt_None);
    return panel;
}

TPageBuilder TRadioView::NewRowsPage(const char* name) {
    return {*NewPagePanel(name), RowWidth(), GroupRowWidth(), flags_};
}

void TRadioView::FillBasics() {
    basics_.Run();
}

void TRadioView::FillScanning() {
    scan_->Refresh();
    scanning_.Run();
}

void TRadioView::FillSames() {
    sames_.Run();
}

void TRadioView::EnableCanalEditing(std::unique_ptr<ICanalAccess> access) {
    canalEditing_ = std::make_unique<TCanalEditing>(*canals_, std::move(access),
                                                    QString::fromStdString(ware_.Description()),
                                                    [this] { UpdateView(); });
}

QWidget* TRadioView::BuildCanalPanel(SCanalGridModel model) {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Canals");
    auto* grid = new ZVCL::TZ_Grid(panel);
    grid->setObjectName("grd_Canals");
    auto* bar = new ZVCL::TZVScrollBar(panel);
    bar->setObjectName("vscrl_Canals");
    model.hasData = [this] { return AttachedData() != nullptr; };
    canals_ = std::make_unique<TCanalGrid>(*grid, *bar, flags_, std::move(model));
    DescribeForReaders(*canals_);

    const int gridWidth = canals_->TotalWidth();
    panel->SetBoundSize(1);
    panel->resize(gridWidth + ZVCL::TZVScrollBar::kDefaultWidth + 2, 400);
    // The page sets the panel's height; the scroll bar follows how many rows fit.
    const auto place = [panel, grid, bar, gridWidth] {
        const int h = panel->height() - 2;
        grid->setGeometry(1, 1, gridWidth, h);
        bar->setGeometry(1 + gridWidth, 1, ZVCL::TZVScrollBar::kDefaultWidth, h);
        grid->AdjustScroll();
    };
    place();
    new TResizeHook(panel, place);  // owned by the panel
    return panel;
}

TPageBuilder TRadioView::BuildScanPage(SScanGridModel model) {
    const int colWidth = kScanColWidth[Compact() ? 1 : 0];
    const int gridWidth = colWidth * kScanGridSide;
    const int gridHeight = kScanGridSide * kCanalRowHeight;
    const int width = std::max(RowWidth(), gridWidth);
    ZVCL::TZPanel* panel = NewPagePanel("pnl_Scanning");

    auto* caption = new ZVCL::TZLabel(panel);
    caption->setObjectName("txt_ScanCanals");
    caption->SetLabelText(QStringLiteral(" Каналы сканирования"));
    caption->SetLabelWidth(width);
    caption->SetHint(QStringLiteral("Выбор каналов, включаемых в список сканируемых"));
    caption->SetColor(ZVCL::kPanelColor);
    caption->setGeometry(0, 0, width, kRowHeight);

    auto* grid = new ZVCL::TZ_Grid(panel);
    grid->setObjectName("grd_ScanCanals");
    grid->setGeometry((width - gridWidth) / 2, kRowHeight, gridWidth, gridHeight);
    model.hasData = [this] { return AttachedData() != nullptr; };
    model.changed = [this] {
        const CLoadingScope loading(flags_);
        FillScanning();
    };
    scan_ = std::make_unique<TScanGrid>(*grid, colWidth, std::move(model));

    const auto button = [panel](const char* name, const QString& text) {
        auto* btn = new QPushButton(text, panel);
        btn->setObjectName(name);
        btn->setFocusPolicy(Qt::TabFocus);
        return btn;
    };
    QPushButton* checkAll = button("btn_check_all", QStringLiteral("Отметить все"));
    QPushButton* uncheckAll = button("btn_uncheck_all", QStringLiteral("\"Снять\" все"));
    uncheckAll->setGeometry(width - kScanButtonWidth - 1, 1, kScanButtonWidth, kRowHeight - 2);
    checkAll->setGeometry(width - 2 * kScanButtonWidth - 5, 1, kScanButtonWidth, kRowHeight - 2);
    QObject::connect(checkAll, &QPushButton::clicked, panel, [this] { scan_->CheckAll(); });
    QObject::connect(uncheckAll, &QPushButton::clicked, panel, [this] { scan_->UncheckAll(); });
    TPageBuilder rows(*panel, width, width - kGroupIndent, flags_);
    rows.MoveTo(kRowHeight + gridHeight);
    return rows;
}

QWidget* TRadioView::BuildKeyPanel(SKeyAccess access) {
    TPageBuilder b = NewRowsPage("pnl_Key");
    key_ = std::make_unique<TKeyPage>(b, layout_, std::move(access));
    return b.FinishPage();
}

}  // namespace views
