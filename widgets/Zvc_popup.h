// The pop-up list that drop-list selectors and line editors open under themselves. It never takes
// the keyboard focus: the widget it was opened for keeps it and steers the list with its keys,
// while the list watches the mouse anywhere in the application.
#pragma once

#include "Zvc_droplist.h"
#include "Zvc_main.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace ZVCL {

class TZVScrollBar;

// What the pop-up list needs from the widget it is open for.
class IZPopUpClient {
  public:
    virtual QWidget* PopUpClientWidget() = 0;
    // The list has closed: index is the picked row or -1; byMouse tells whether a mouse action
    // closed it, and globalMousePos where the mouse was.
    virtual void PopUpClosed(int index, bool byMouse, const QPoint& globalMousePos) = 0;
    // A press on target while the list is open only closes the list (the press that would open
    // it again is swallowed), so that the widget and its drop knob toggle the list.
    virtual bool IsDropTrigger(const QWidget* target) const = 0;

  protected:
    ~IZPopUpClient() = default;
};

class TZPopUpList : public QWidget {
  public:
    explicit TZPopUpList(QWidget* parent = nullptr);
    ~TZPopUpList() override;

    static constexpr int kRowHeight = 19;
    static constexpr int kMaxVisibleRows = 12;
    static constexpr int kBorder = 1;

    // Opens the list for client under (or above) the screen rectangle pullRect.
    void Open(IZPopUpClient& client, const QStringList& items, int highlighted,
              const QRect& pullRect);
    // Closes the list and tells the client; does nothing when closed.
    void Close(int pickedIndex, bool byMouse, const QPoint& globalMousePos);
    bool IsOpen() const { return client_ != nullptr; }
    bool IsOpenFor(const IZPopUpClient& client) const { return client_ == &client; }

    const QStringList& Items() const { return items_; }
    int Highlighted() const { return highlighted_; }
    void SetHighlighted(int index);
    void MoveHighlight(int delta);
    void PageUp() { MoveHighlight(-VisibleRows()); }
    void PageDown() { MoveHighlight(VisibleRows()); }

    int VisibleRows() const;
    int TopIndex() const { return top_; }
    bool ScrollBarShown() const;
    const TZVScrollBar& ScrollBar() const { return *scrollBar_; }
    // Row under a global position, or -1 outside the rows.
    int RowAt(const QPoint& globalPos) const;
    QRect RowsRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ScrollTo(int top);
    void EnsureVisible(int index);
    void SyncScrollBar();
    bool OnScrollBar(const QPoint& globalPos) const;

    QStringList items_;
    int highlighted_ = -1;
    int top_ = 0;
    IZPopUpClient* client_ = nullptr;
    QPointer<QWidget> clientWidget_;
    TZVScrollBar* scrollBar_;
    bool pressOnBar_ = false;
    TZWheelSteps wheel_;
};

// The pop-up list of this copy of the kit. It exists while at least one lease is held: every
// widget that can drop a list holds one, so the list goes when the last of them goes.
class TZPopUpListLease {
  public:
    TZPopUpListLease();
    ~TZPopUpListLease();
    TZPopUpListLease(const TZPopUpListLease&) = delete;
    TZPopUpListLease& operator=(const TZPopUpListLease&) = delete;

    TZPopUpList& List() const;
};

}  // namespace ZVCL

namespace ZVCL {

// What a drop-list widget lends to the behaviour it shares with the others.
class IZTextHost {
  public:
    virtual QWidget& HostWidget() = 0;
    virtual QString HostText() const = 0;
    // The widget's SetText: changes the text only if it differs and tells the owner.
    virtual void HostSetText(const QString& text) = 0;
    virtual const QStringList& HostList() const = 0;
    virtual void HostAdjustPullRect(QRect& rect) = 0;
    virtual void HostCloseUp(int index) = 0;
    virtual void HostImplantHidden() = 0;
    // A list item became the text (pick, page, step through the list).
    virtual void HostItemTaken() = 0;

  protected:
    ~IZTextHost() = default;
};

// The behaviour a drop-list selector and a line editor share: the in-cell editor (implant)
// life cycle, the text remembered on focus and restored by Esc, stepping through the list and
// the drop list itself.
class TZDropCore : public QObject, public IZPopUpClient {
  public:
    explicit TZDropCore(IZTextHost& host);
    ~TZDropCore() override;

    bool ShowImplant(int left, int top, int width, int height);
    void HideImplant();
    bool IsImplantOpen() const { return implantOpen_; }

    void DropList();
    // Closes the list without a pick.
    void CloseList();
    // Closes the list taking its highlighted row, as Enter does.
    void CloseListTakingHighlight();
    void ToggleList();
    bool IsListOpen() const;
    TZPopUpList& PopUp() const { return lease_.List(); }

    void NextRow() { StepRow(+1); }
    void PrevRow() { StepRow(-1); }
    // Moves the highlight of the open list (true) or does nothing (false).
    bool MoveOpenHighlight(int delta);
    // Pages the open list; with take the highlighted item becomes the text.
    void PageOpenList(bool down, bool take);

    void RememberFocusText() { focusText_ = host_.HostText(); }
    const QString& FocusText() const { return focusText_; }
    // Esc: back to the text the widget had when it got the focus, then as Enter.
    void EscapeKey();
    // Enter: take the open list's highlighted item, close it and hide the implant.
    void EnterKey();

    // QWidget::focusOutEvent hook: a list left behind by the focus is closed without a pick.
    void FocusLost();

    // IZPopUpClient
    QWidget* PopUpClientWidget() override { return &host_.HostWidget(); }
    void PopUpClosed(int index, bool byMouse, const QPoint& globalMousePos) override;
    bool IsDropTrigger(const QWidget* target) const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void StepRow(int delta);
    int CurrentIndex() const;

    IZTextHost& host_;
    TZPopUpListLease lease_;
    QString focusText_;
    bool implantOpen_ = false;
};

// The drop-list part that a selector and a line editor share: the events of their list and of
// the implant, and the operations that pass to the shared behaviour. The widget deriving from it
// hands itself over and answers the rest of IZTextHost (its text, its list, what a taken item
// means to it).
class TZDropListControl : public IZDropListOwner, protected IZTextHost {
  public:
    std::function<void(QRect& pullRect)> OnAdjustPullRect;
    TNotifyEvent OnSelect;  // an item of the list became the text
    std::function<void(int pickedIndex)> OnCloseUp;
    TNotifyEvent OnHideImplant;

    // Opens the widget as an in-cell editor at (left, top) of its parent; a width or height of
    // 0 or less keeps the current one. False when another in-cell editor is open.
    bool ShowImplant(int left, int top, int width, int height) {
        return core_.ShowImplant(left, top, width, height);
    }
    void HideImplant() { core_.HideImplant(); }
    bool IsImplantOpen() const { return core_.IsImplantOpen(); }
    void DropList() override { core_.DropList(); }
    void CloseList() override { core_.CloseList(); }
    bool IsListOpen() const override { return core_.IsListOpen(); }
    void NextRow() { core_.NextRow(); }
    void PrevRow() { core_.PrevRow(); }

  protected:
    explicit TZDropListControl(QWidget& widget) : widget_(widget), core_(*this) {}
    ~TZDropListControl() = default;
    TZDropListControl(const TZDropListControl&) = delete;
    TZDropListControl& operator=(const TZDropListControl&) = delete;

  private:
    // IZTextHost: what every drop-list widget answers alike. The widget is kept here, not asked
    // of the derived class, because the core still needs it while this part is destroyed.
    QWidget& HostWidget() final { return widget_; }
    void HostAdjustPullRect(QRect& rect) final {
        if (OnAdjustPullRect) OnAdjustPullRect(rect);
    }
    void HostCloseUp(int index) final {
        if (OnCloseUp) OnCloseUp(index);
    }
    void HostImplantHidden() final {
        if (OnHideImplant) OnHideImplant();
    }

    QWidget& widget_;

  protected:
    TZDropCore core_;
};

}  // namespace ZVCL
