// The drop-list selector: shows one item of a fixed list; the user steps through the list with
// the arrow keys and the wheel or picks from the pop-up list. Also serves as an in-cell editor of
// a grid (an implant).
#pragma once

#include "Zvc_main.h"
#include "Zvc_popup.h"
#include "Zvc_property.h"

#include <QStringList>
#include <QWidget>

namespace ZVCL {

enum TAlignment {
    ta_LeftTop,
    ta_LeftCenter,
    ta_LeftBottom,
    ta_CenterTop,
    ta_CenterCenter,
    ta_CenterBottom,
    ta_RightTop,
    ta_RightCenter,
    ta_RightBottom
};

Qt::Alignment ToQtAlignment(TAlignment alignment);

class TZStatic : public QWidget, public TZDropListControl, public TZInputEvents {
  public:
    explicit TZStatic(QWidget* parent = nullptr);

    const QString& Text() const { return text_; }
    // Changes the text only if it differs; then repaints and fires OnSelect.
    void SetText(const QString& text);
    const QStringList& List() const { return list_; }
    void SetList(const QStringList& list) { list_ = list; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment) { SetShown(*this, alignment_, alignment); }
    bool WordWarp() const { return wordWarp_; }
    void SetWordWarp(bool on) { SetShown(*this, wordWarp_, on); }
    void SetIndents(int left, int top, int right, int bottom);
    QMargins Indents() const { return indents_; }
    QColor Color() const { return color_; }
    void SetColor(const QColor& color) { SetShown(*this, color_, color); }
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // IZTextHost
    QString HostText() const override { return text_; }
    void HostSetText(const QString& text) override { SetText(text); }
    const QStringList& HostList() const override { return list_; }
    void HostItemTaken() override {}

    QString text_;
    QStringList list_;
    TAlignment alignment_ = ta_LeftTop;
    bool wordWarp_ = false;
    QMargins indents_;
    QColor color_ = kFaceColor;
    TZWheelSteps wheel_;
};

}  // namespace ZVCL
