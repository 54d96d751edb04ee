#include "F_pageset.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

namespace views {

namespace {
constexpr int kPageMarginBottom = 8;
}

TLayout ScreenLayout() {
    static const TLayout layout = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? LayoutForScreen(screen->size()) : TLayout::Normal;
    }();
    return layout;
}

TResizeHook::TResizeHook(QWidget* watched, std::function<void()> resized)
    : QObject(watched), resized_(std::move(resized)) {
    watched->installEventFilter(this);
}

bool TResizeHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize && resized_) resized_();
    return false;
}

TCenteredPage::TCenteredPage(QWidget* inner, int top, bool fillHeight, QWidget* parent)
    : QWidget(parent), inner_(inner), top_(top), fillHeight_(fillHeight) {
    inner->setParent(this);
}

void TCenteredPage::Centre() {
    if (!inner_) return;
    const int left = std::max(0, (width() - inner_->width()) / 2);
    if (fillHeight_)
        inner_->setGeometry(left, top_, inner_->width(),
                            std::max(0, height() - top_ - kPageMarginBottom));
    else
        inner_->move(left, top_);
}

void TCenteredPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Centre();
}

void TCenteredPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Centre();
}

TPageSet::TPageSet(QTabWidget& tabs, SViewFlags& flags) : tabs_(&tabs), flags_(flags) {
    QObject::connect(&tabs, &QTabWidget::currentChanged, &tabs, [this](int index) {
        Fill(index);
        if (auto* page = dynamic_cast<TCenteredPage*>(tabs_->widget(index))) page->Centre();
    });
    // The grids and editors take every key they see, so the page keys are shortcuts of the
    // whole page set: they work wherever the focus is inside it.
    const struct {
        QKeySequence key;
        int direction;
    } keys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), +1},
                {QKeySequence(Qt::CTRL | Qt::Key_PageDown), +1},
                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1},
                {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto& k : keys) {
        auto* shortcut = new QShortcut(k.key, &tabs);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        const int direction = k.direction;
        QObject::connect(shortcut, &QShortcut::activated, &tabs,
                         [this, direction] { Turn(direction); });
    }
}

void TPageSet::Turn(int direction) {
    const int count = tabs_->count();
    if (count < 2) return;
    // Leaving a page leaves whatever is edited on it, as a click on another tab would.
    if (QWidget* focus = QApplication::focusWidget(); focus && tabs_->isAncestorOf(focus))
        tabs_->tabBar()->setFocus(Qt::TabFocusReason);
    tabs_->setCurrentIndex((tabs_->currentIndex() + direction + count) % count);
}

TCenteredPage* TPageSet::AddPage(const QString& name, const QString& caption, QWidget* inner,
                                 std::function<void()> fill, bool fillHeight) {
    constexpr int kPageTop = 8;
    auto* page = new TCenteredPage(inner, kPageTop, fillHeight);
    page->setObjectName(name);
    fills_.push_back(std::move(fill));
    tabs_->addTab(page, caption);
    return page;
}

void TPageSet::Fill(int index) {
    if (index < 0 || index >= static_cast<int>(fills_.size()) ||
        !fills_[static_cast<size_t>(index)])
        return;
    const CLoadingScope loading(flags_);
    fills_[static_cast<size_t>(index)]();
}

void TPageSet::FillActive() {
    Fill(tabs_->currentIndex());
}

}  // namespace views
