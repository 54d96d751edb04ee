#include "F_pageset.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
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
