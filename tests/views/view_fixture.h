// The Alder view as the program gets it (from the module object, over the attached parameter
// set), shown in an active window, with the set's notifications counted.
#pragma once

#include "F_alderview.h"
#include "U_alderware.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

class AlderViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ware_ = CWareSingleton<CAlderWare>::Get();
        InstallAlderView(*ware_);
        ASSERT_TRUE(ware_->AttachData(ware_->GetRadio(0), &AlderViewTest::Count, this));
        window_ = std::make_unique<QWidget>();
        view_ = dynamic_cast<TAlderView*>(ware_->GetView());
        ASSERT_NE(view_, nullptr);
        auto* layout = new QVBoxLayout(window_.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
        window_->resize(900, 640);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        notifications_ = 0;
    }

    void TearDown() override {
        // The program takes the view out of its panel before the module frees it.
        if (view_) view_->setParent(nullptr);
        ware_->FreeView();
        window_.reset();
        CWareSingleton<CAlderWare>::Release();
    }

    CAlderData& Data() const { return *dynamic_cast<CAlderData*>(ware_->AttachedData()); }
    CAlderCanal& Canal(int i) const { return *Data().Canal(i); }
    TAlderView& View() const { return *view_; }
    CRadioWare& Ware() const { return *ware_; }

    // Values set up by a test count as saved, so that what follows starts unmodified.
    void Settle() {
        Data().MarkSaved();
        notifications_ = 0;
    }
    bool Modified() const { return Data().IsModified(); }
    int Notifications() const { return notifications_; }

    template <class T>
    T* Find(const char* name) const {
        T* w = view_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void ShowPage(const char* name) {
        QTabWidget& tabs = view_->Pages();
        tabs.setCurrentWidget(Find<QWidget>(name));
        QApplication::processEvents();
    }

    static void Wheel(QWidget* w, int delta) {
        const QPoint local = w->rect().center();
        QWheelEvent event(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
    }

  private:
    static void Count(void* context, IRadioData*) {
        ++static_cast<AlderViewTest*>(context)->notifications_;
    }

    CAlderWare* ware_ = nullptr;
    std::unique_ptr<QWidget> window_;
    TAlderView* view_ = nullptr;
    int notifications_ = 0;
};
