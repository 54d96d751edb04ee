#include "Zvc_popup.h"

#include "Zvc_accessnews.h"
#include "Zvc_knob.h"
#include "Zvc_scrollbar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <memory>

namespace ZVCL {

TZPopUpList::TZPopUpList(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      scrollBar_(new TZVScrollBar(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    scrollBar_->hide();
    scrollBar_->OnScroll = [this](TScrollDirection direction, TScrollChange, int amount) {
        ScrollTo(top_ + (direction == TScrollDirection::Up ? -amount : amount));
    };
}

TZPopUpList::~TZPopUpList() {
    if (IsOpen()) {
        qApp->removeEventFilter(this);
        ReleasePopUp(clientWidget_);
    }
}

int TZPopUpList::VisibleRows() const {
    return std::min<int>(static_cast<int>(items_.size()), kMaxVisibleRows);
}

bool TZPopUpList::ScrollBarShown() const {
    return items_.size() > kMaxVisibleRows;
}

QRect TZPopUpList::RowsRect() const {
    const int barWidth = ScrollBarShown() ? scrollBar_->width() : 0;
    return QRect(kBorder, kBorder, width() - 2 * kBorder - barWidth, VisibleRows() * kRowHeight);
}

void TZPopUpList::Open(IZPopUpClient& client, const QStringList& items, int highlighted,
                       const QRect& pullRect) {
    if (IsOpen() || items.isEmpty()) return;
    QWidget* const owner = client.PopUpClientWidget();
    if (!ClaimPopUp(owner)) return;  // another list is open elsewhere in the program
    client_ = &client;
    clientWidget_ = owner;
    items_ = items;
    top_ = 0;
    highlighted_ = -1;
    pressOnBar_ = false;
    wheel_.Reset();
    setFont(owner->font());

    const QSize size(pullRect.width() + 4, VisibleRows() * kRowHeight + 2 * kBorder);
    QPoint pos(pullRect.left() - 2, pullRect.bottom() + 1);
    const QScreen* screen = QGuiApplication::screenAt(pullRect.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen && pos.y() + size.height() > screen->geometry().bottom() + 1)
        pos.setY(pullRect.top() - size.height());
    setGeometry(QRect(pos, size));

    scrollBar_->setVisible(ScrollBarShown());
    scrollBar_->setGeometry(width() - kBorder - scrollBar_->width(), kBorder, scrollBar_->width(),
                            height() - 2 * kBorder);
    SetHighlighted(highlighted);
    SyncScrollBar();
    qApp->installEventFilter(this);
    show();
}

void TZPopUpList::Close(int pickedIndex, bool byMouse, const QPoint& globalMousePos) {
    if (!IsOpen()) return;
    IZPopUpClient* const client = client_;
    qApp->removeEventFilter(this);
    ReleasePopUp(clientWidget_);
    client_ = nullptr;
    clientWidget_ = nullptr;
    hide();
    if (pickedIndex >= static_cast<int>(items_.size())) pickedIndex = -1;
    client->PopUpClosed(pickedIndex, byMouse, globalMousePos);
}

void TZPopUpList::SetHighlighted(int index) {
    highlighted_ = (index >= 0 && index < items_.size()) ? index : -1;
    if (highlighted_ >= 0) EnsureVisible(highlighted_);
    update();
    NotifyValueChanged(*this);
}

void TZPopUpList::MoveHighlight(int delta) {
    if (items_.isEmpty()) return;
    const int from =
        highlighted_ < 0 ? (delta > 0 ? -1 : static_cast<int>(items_.size())) : highlighted_;
    SetHighlighted(std::clamp(from + delta, 0, static_cast<int>(items_.size()) - 1));
}

void TZPopUpList::ScrollTo(int top) {
    const int maxTop = std::max(0, static_cast<int>(items_.size()) - VisibleRows());
    top_ = std::clamp(top, 0, maxTop);
    SyncScrollBar();
    update();
}

void TZPopUpList::EnsureVisible(int index) {
    if (index < top_)
        ScrollTo(index);
    else if (index >= top_ + VisibleRows())
        ScrollTo(index - VisibleRows() + 1);
}

void TZPopUpList::SyncScrollBar() {
    scrollBar_->SetPageSize(VisibleRows());
    scrollBar_->SetScroll(0, std::max(0, static_cast<int>(items_.size()) - VisibleRows()), top_);
}

int TZPopUpList::RowAt(const QPoint& globalPos) const {
    if (!isVisible()) return -1;
    const QPoint local = mapFromGlobal(globalPos);
    const QRect rows = RowsRect();
    if (!rows.contains(local)) return -1;
    const int row = top_ + (local.y() - rows.top()) / kRowHeight;
    return row < items_.size() ? row : -1;
}

bool TZPopUpList::OnScrollBar(const QPoint& globalPos) const {
    return scrollBar_->isVisible() &&
           scrollBar_->rect().contains(scrollBar_->mapFromGlobal(globalPos));
}

void TZPopUpList::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kFaceColor);
    p.setPen(kBorderColor);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect rows = RowsRect();
    p.setClipRect(rows);
    p.setFont(font());
    for (int i = 0; i < VisibleRows() && top_ + i < items_.size(); ++i) {
        const int index = top_ + i;
        const QRect row(rows.left(), rows.top() + i * kRowHeight, rows.width(), kRowHeight);
        const bool lit = index == highlighted_;
        if (lit) p.fillRect(row, palette().color(QPalette::Highlight));
        p.setPen(lit ? palette().color(QPalette::HighlightedText) : QColor(0, 0, 0));
        p.drawText(row.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, items_[index]);
    }
}

void TZPopUpList::wheelEvent(QWheelEvent* event) {
    const int steps = wheel_.Add(event->angleDelta().y());
    if (steps != 0) ScrollTo(top_ - steps);
    event->accept();
}

bool TZPopUpList::eventFilter(QObject* watched, QEvent* event) {
    if (!IsOpen()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QPoint global = me->globalPosition().toPoint();
            if (isVisible() && rect().contains(mapFromGlobal(global))) {
                pressOnBar_ = OnScrollBar(global);
                return !pressOnBar_;  // a press on a row only starts the pick
            }
            const auto* target = qobject_cast<QWidget*>(watched);
            const bool trigger = target && client_->IsDropTrigger(target);
            Close(-1, true, global);
            return trigger;
        }
        case QEvent::MouseMove: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (pressOnBar_ && me->buttons() != Qt::NoButton) break;
            const int row = RowAt(me->globalPosition().toPoint());
            if (row >= 0 && row != highlighted_) SetHighlighted(row);
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) break;
            if (pressOnBar_) {
                pressOnBar_ = false;
                break;
            }
            const QPoint global = me->globalPosition().toPoint();
            const int row = RowAt(global);
            if (row >= 0 && row == highlighted_) {
                Close(row, true, global);
                return true;
            }
            break;
        }
        default:
            break;
    }
    return false;
}

// The single pop-up list of this copy of the kit, alive while some widget can use it.
namespace {
std::unique_ptr<TZPopUpList> popUpList;
int popUpLeases = 0;
}  // namespace

TZPopUpListLease::TZPopUpListLease() {
    if (popUpLeases++ == 0) popUpList = std::make_unique<TZPopUpList>();
}

TZPopUpListLease::~TZPopUpListLease() {
    if (--popUpLeases == 0) {
        popUpList.reset();
    }
}

TZPopUpList& TZPopUpListLease::List() const {
    return *popUpList;
}

TZDropCore::TZDropCore(IZTextHost& host) : host_(host) {}

TZDropCore::~TZDropCore() {
    if (implantOpen_) {
        qApp->removeEventFilter(this);
        ReleaseImplant(&host_.HostWidget());
    }
}

bool TZDropCore::ShowImplant(int left, int top, int width, int height) {
    QWidget& w = host_.HostWidget();
    if (!ClaimImplant(&w)) return false;
    w.setGeometry(left, top, width > 0 ? width : w.width(), height > 0 ? height : w.height());
    w.show();
    w.raise();
    w.setFocus(Qt::OtherFocusReason);
    // Opening is where the editing starts, even if the widget kept the focus while hidden.
    RememberFocusText();
    if (!implantOpen_) {
        implantOpen_ = true;
        qApp->installEventFilter(this);
    }
    return true;
}

void TZDropCore::HideImplant() {
    if (!implantOpen_) return;
    CloseList();
    qApp->removeEventFilter(this);
    implantOpen_ = false;
    ReleaseImplant(&host_.HostWidget());
    host_.HostWidget().hide();
    host_.HostImplantHidden();
}

bool TZDropCore::IsListOpen() const {
    return PopUp().IsOpenFor(*this);
}

void TZDropCore::DropList() {
    const QStringList& items = host_.HostList();
    if (items.isEmpty() || PopUp().IsOpen() || OpenPopUpOwner()) return;
    QWidget& w = host_.HostWidget();
    QRect pull(w.mapToGlobal(QPoint(0, 0)), w.size());
    host_.HostAdjustPullRect(pull);
    PopUp().Open(*this, items, static_cast<int>(items.indexOf(host_.HostText())), pull);
}

void TZDropCore::CloseList() {
    if (IsListOpen()) PopUp().Close(-1, false, QCursor::pos());
}

void TZDropCore::CloseListTakingHighlight() {
    if (IsListOpen()) PopUp().Close(PopUp().Highlighted(), false, QCursor::pos());
}

void TZDropCore::ToggleList() {
    if (IsListOpen())
        CloseList();
    else
        DropList();
}

int TZDropCore::CurrentIndex() const {
    if (IsListOpen()) return PopUp().Highlighted();
    return static_cast<int>(host_.HostList().indexOf(host_.HostText()));
}

void TZDropCore::StepRow(int delta) {
    const QStringList& items = host_.HostList();
    const int target = CurrentIndex() + delta;
    if (target < 0 || target >= items.size()) return;
    if (IsListOpen()) PopUp().SetHighlighted(target);
    host_.HostSetText(items[target]);
    host_.HostItemTaken();
}

bool TZDropCore::MoveOpenHighlight(int delta) {
    if (!IsListOpen()) return false;
    PopUp().MoveHighlight(delta);
    return true;
}

void TZDropCore::PageOpenList(bool down, bool take) {
    if (!IsListOpen()) return;
    if (down)
        PopUp().PageDown();
    else
        PopUp().PageUp();
    const int lit = PopUp().Highlighted();
    if (take && lit >= 0) {
        host_.HostSetText(PopUp().Items()[lit]);
        host_.HostItemTaken();
    }
}

void TZDropCore::EscapeKey() {
    CloseList();
    host_.HostSetText(focusText_);
    EnterKey();
}

void TZDropCore::EnterKey() {
    CloseListTakingHighlight();
    HideImplant();
}

void TZDropCore::FocusLost() {
    CloseList();
}

void TZDropCore::PopUpClosed(int index, bool byMouse, const QPoint& globalMousePos) {
    const QStringList& items = host_.HostList();
    if (index >= 0 && index < items.size()) {
        host_.HostSetText(items[index]);
        host_.HostItemTaken();
    }
    host_.HostCloseUp(index);
    QWidget& w = host_.HostWidget();
    if (byMouse && !w.rect().contains(w.mapFromGlobal(globalMousePos))) HideImplant();
}

bool TZDropCore::IsDropTrigger(const QWidget* target) const {
    const QWidget* const self = &host_.HostWidget();
    if (target == self) return true;
    const auto* knob = dynamic_cast<const TZKnob*>(target);
    return knob && knob->DropDown() && knob->Focusing() == self;
}

bool TZDropCore::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    QWidget& w = host_.HostWidget();
    const bool onSelf = w.rect().contains(w.mapFromGlobal(global));
    const bool onOwnList = IsListOpen() && PopUp().rect().contains(PopUp().mapFromGlobal(global));
    if (!onSelf && !onOwnList) HideImplant();
    return false;
}

}  // namespace ZVCL
