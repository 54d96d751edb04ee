// A shown, active top-level window for each widget test, so that focus and global positions
// behave as in the program.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

class KitFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->setGeometry(100, 100, 400, 300);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    void TearDown() override { window_.reset(); }

    QWidget* Window() const { return window_.get(); }

    static void Wheel(QWidget* w, int delta) {
        const QPoint local = w->rect().center();
        QWheelEvent event(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
    }

    // A press (and release) delivered where the user's mouse would be, whatever widget is there.
    static void ClickAtGlobal(QWidget* target, const QPoint& global) {
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFromGlobal(global));
    }

  private:
    std::unique_ptr<QWidget> window_;
};
