// The page control of a radio view: each page holds one inner panel, centred horizontally, and
// is filled from the parameter set (under the loading flag) whenever it is shown or the view is
// refreshed while it is the active page. Ctrl+Tab and Ctrl+PgDn turn to the next page,
// Ctrl+Shift+Tab and Ctrl+PgUp to the previous one.
#pragma once

#include "F_viewflags.h"

#include <QPointer>
#include <QString>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <vector>

namespace views {

// Calls a function whenever the watched widget (its parent) is resized.
class TResizeHook : public QObject {
  public:
    TResizeHook(QWidget* watched, std::function<void()> resized);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> resized_;
};

// A page that keeps its inner panel centred horizontally, optionally as tall as the page.
class TCenteredPage : public QWidget {
  public:
    TCenteredPage(QWidget* inner, int top, bool fillHeight, QWidget* parent = nullptr);
    QWidget* Inner() const { return inner_; }
    void Centre();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QPointer<QWidget> inner_;
    int top_;
    bool fillHeight_;
};

class TPageSet {
  public:
    TPageSet(QTabWidget& tabs, SViewFlags& flags);
    TPageSet(const TPageSet&) = delete;
    TPageSet& operator=(const TPageSet&) = delete;

    // Adds a page named name (the tab sheet's object name) with its caption; fill shows the
    // parameter set's values on it.
    TCenteredPage* AddPage(const QString& name, const QString& caption, QWidget* inner,
                           std::function<void()> fill, bool fillHeight = false);
    // Fills the page that is shown now.
    void FillActive();
    // The next (+1) or previous (-1) page, round the end: Ctrl+Tab and Ctrl+PgDn,
    // Ctrl+Shift+Tab and Ctrl+PgUp.
    void Turn(int direction);
    void Fill(int index);
    QTabWidget& Tabs() const { return *tabs_; }

  private:
    QPointer<QTabWidget> tabs_;
    SViewFlags& flags_;
    std::vector<std::function<void()>> fills_;
};

}  // namespace views
