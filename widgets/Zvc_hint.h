// The hint window: a borderless note under the mouse that explains a control or a grid cell.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ZVCL {

class TZHintWindow : public QWidget {
  public:
    explicit TZHintWindow(QWidget* parent = nullptr);

    // Size of the window for text when lines may be at most maxTextWidth wide: a text that
    // needs several lines is made as narrow as it can be without getting taller, so the lines
    // come out even; the size includes the padding around the text.
    QSize CalcHintSize(const QString& text, int maxTextWidth) const;
    // The same, with lines at most three quarters of the screen under pos wide.
    QSize CalcHintSize(const QString& text, const QPoint& globalPos) const;

    // Shows text with the window's top left corner at globalPos.
    void ActivateHint(const QPoint& globalPos, const QString& text);
    void ReleaseHint();
    bool IsShown() const { return isVisible(); }
    const QString& HintText() const { return text_; }

    static constexpr int kPadding = 10;
    static constexpr int kTextOffset = 4;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

// Makes the kit's hint window the application's hint window: a widget's tool tip is shown in a
// TZHintWindow after the mouse rests on it for pause ms, 25 pixels below the mouse, and removed
// after hidePause ms or at once on a key, a mouse press or the mouse leaving the widget. The
// object lives as long as its owner (normally the main window).
class TZApplicationHints : public QObject {
  public:
    explicit TZApplicationHints(QWidget* owner, int pause = 500, int hidePause = 12000);
    ~TZApplicationHints() override;

    TZHintWindow& Window() { return *window_; }
    QWidget* HintedWidget() const { return hinted_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowFor(QWidget* w, const QPoint& globalPos);
    void Hide();

    QPointer<TZHintWindow> window_;
    QPointer<QWidget> candidate_;
    QPointer<QWidget> hinted_;
    QPoint candidatePos_;
    QTimer pauseTimer_;
    QTimer hideTimer_;
};

}  // namespace ZVCL
