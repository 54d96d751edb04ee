#include "Zvc_hint.h"

#include "Zvc_main.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace ZVCL {

namespace {

constexpr int kHintFontHeight = 12;
constexpr int kBelowMouse = 25;
constexpr int kUnboundedHeight = 100000;

QSize TextBlockSize(const QFontMetrics& fm, const QString& text, int width) {
    return fm.boundingRect(QRect(0, 0, width, kUnboundedHeight), Qt::TextWordWrap, text).size();
}

// The screen a note at pos belongs to: the one under it, else the nearest one (a point just
// past the edge, below a control at the bottom or right of the screen, lies on none).
const QScreen* ScreenNear(const QPoint& pos) {
    if (const QScreen* screen = QGuiApplication::screenAt(pos)) return screen;
    const QScreen* nearest = QGuiApplication::primaryScreen();
    qint64 best = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const QPoint inside(std::clamp(pos.x(), area.left(), area.right()),
                            std::clamp(pos.y(), area.top(), area.bottom()));
        const QPoint gap = inside - pos;
        const qint64 distance = qint64{gap.x()} * gap.x() + qint64{gap.y()} * gap.y();
        if (best < 0 || distance < best) {
            best = distance;
            nearest = screen;
        }
    }
    return nearest;
}

}  // namespace

TZHintWindow::TZHintWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFont(TahomaFont(kHintFontHeight));
}

QSize TZHintWindow::CalcHintSize(const QString& text, int maxTextWidth) const {
    const QFontMetrics fm(font());
    QSize block = TextBlockSize(fm, text, maxTextWidth);
    if (block.height() > fm.height()) {
        // Several lines: narrow the block while it keeps its height, so that the last line is
        // not a short tail under long ones.
        int width = block.width();
        while (width > 1 && TextBlockSize(fm, text, width - 1).height() <= block.height()) --width;
        block = QSize(TextBlockSize(fm, text, width).width(), block.height());
    }
    return block + QSize(kPadding, kPadding);
}

QSize TZHintWindow::CalcHintSize(const QString& text, const QPoint& globalPos) const {
    const QScreen* screen = ScreenNear(globalPos);
    const int screenWidth = screen ? screen->geometry().width() : 1024;
    return CalcHintSize(text, screenWidth * 3 / 4);
}

void TZHintWindow::ActivateHint(const QPoint& globalPos, const QString& text) {
    text_ = text;
    const QSize size = CalcHintSize(text, globalPos);
    QPoint pos = globalPos;
    if (const QScreen* screen = ScreenNear(globalPos)) {
        // Keep the whole note on the screen the mouse is on.
        const QRect area = screen->geometry();
        pos.setX(std::max(area.left(), std::min(pos.x(), area.right() + 1 - size.width())));
        pos.setY(std::max(area.top(), std::min(pos.y(), area.bottom() + 1 - size.height())));
    }
    setGeometry(QRect(pos, size));
    show();
    update();
}

void TZHintWindow::ReleaseHint() {
    hide();
    text_.clear();
}

void TZHintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kHintColor);
    p.setPen(QColor(0, 0, 0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setFont(font());
    const QRect textRect(kTextOffset, kTextOffset, width() - kPadding + 1, height() - kPadding + 1);
    p.drawText(textRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

TZApplicationHints::TZApplicationHints(QWidget* owner, int pause, int hidePause)
    : QObject(owner), window_(new TZHintWindow(owner)) {
    pauseTimer_.setSingleShot(true);
    pauseTimer_.setInterval(pause);
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(hidePause);
    connect(&pauseTimer_, &QTimer::timeout, this, [this] { ShowFor(candidate_, candidatePos_); });
    connect(&hideTimer_, &QTimer::timeout, this, [this] { Hide(); });
    qApp->installEventFilter(this);
}

TZApplicationHints::~TZApplicationHints() {
    if (qApp) qApp->removeEventFilter(this);
}

bool TZApplicationHints::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip:
            return true;  // shown by this object instead of the style's tool tip
        case QEvent::MouseMove: {
            auto* w = qobject_cast<QWidget*>(watched);
            const auto* me = static_cast<QMouseEvent*>(event);
            if (!w || me->buttons() != Qt::NoButton || w == window_) break;
            while (w && w->toolTip().isEmpty()) w = w->parentWidget();
            if (w == candidate_) break;
            Hide();
            candidate_ = w;
            candidatePos_ = me->globalPosition().toPoint();
            if (w) pauseTimer_.start();
            break;
        }
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            Hide();
            break;
        case QEvent::Leave:
            if (watched == candidate_ || watched == hinted_) {
                Hide();
                candidate_ = nullptr;
            }
            break;
        default:
            break;
    }
    return false;
}

void TZApplicationHints::ShowFor(QWidget* w, const QPoint& globalPos) {
    if (!w || !window_ || w->toolTip().isEmpty()) return;
    hinted_ = w;
    window_->ActivateHint(globalPos + QPoint(0, kBelowMouse), w->toolTip());
    hideTimer_.start();
}

void TZApplicationHints::Hide() {
    pauseTimer_.stop();
    hideTimer_.stop();
    if (window_) window_->ReleaseHint();
    hinted_ = nullptr;
}

}  // namespace ZVCL
