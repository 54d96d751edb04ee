// The widget kit's common ground: colours, fonts, the event scheme every widget follows and the
// kit state that must be one per process (the open in-cell editor, the open pop-up list).
//
// Event scheme. Every event of the kit is a public std::function member named after the event
// (OnDrawCell, OnSelect, OnHideImplant, ...). An owner assigns a lambda; an empty member is
// simply not called. Key handlers receive the key by reference: setting it to 0 tells the
// widget that the owner consumed the key. Character handlers (OnKeyPress) receive the typed
// character by reference: the handler may replace it (upper-casing, say) or set it to a null
// QChar to drop it. No Qt signals are used for kit events, so a view wires a widget with one
// assignment and can read every handler of a page in one place.
//
// Per-process state. The program and every plug-in carry their own copy of this library, so
// the state that must be unique in the process (which in-cell editor is open, which pop-up list
// is open) is kept as dynamic properties of the application object, the one object they all
// share. Everything else (the pop-up list widget itself) is per library copy, so that unloading
// a plug-in never leaves a widget whose code is gone.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <Qt>

#include <functional>

class QKeyEvent;
class QMouseEvent;
class QWidget;
class QObject;

namespace ZVCL {

// The kit's flat palette.
inline const QColor kFaceColor{255, 250, 240};    // editors, grids, rows
inline const QColor kPanelColor{215, 210, 200};   // panels, knob faces
inline const QColor kBorderColor{135, 130, 120};  // flat borders
inline const QColor kHintColor{235, 245, 235};    // hint window background

// The fonts the radio views are drawn in, falling back to a sans font that has Cyrillic when the
// named family is not installed.
QFont KitFont(const QString& family, int pixelHeight, bool bold = false);
inline QFont TahomaFont(int pixelHeight, bool bold = false) {
    return KitFont(QStringLiteral("Tahoma"), pixelHeight, bold);
}
inline QFont ArialFont(int pixelHeight, bool bold = false) {
    return KitFont(QStringLiteral("Arial"), pixelHeight, bold);
}

// Handlers shared by the kit's interactive widgets.
using TKeyEvent = std::function<void(int& key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(QChar& ch)>;
using TMouseEvent =
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
using TNotifyEvent = std::function<void()>;

// Hand a Qt event to one of these handlers when it is set. A move reports no button; a key
// handler may change or clear (0) the key, and the key it leaves is returned.
void FireMouse(const TMouseEvent& handler, const QMouseEvent& event);
void FireMouseMove(const TMouseEvent& handler, const QMouseEvent& event);
int FireKey(const TKeyEvent& handler, const QKeyEvent& event);

struct TZInputEvents {
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseEvent OnMouseMove;
};

// Wheel movement arrives in eighths of a degree; the kit acts once per full notch (120 units)
// and keeps the remainder, so high-resolution wheels and touchpads step at the same rate.
class TZWheelSteps {
  public:
    // Returns the number of whole notches (positive away from the user).
    int Add(int delta);
    void Reset() { rest_ = 0; }

  private:
    int rest_ = 0;
};

// The in-cell editor that is open in this process, if any.
QWidget* CurrentImplant();
// Records w as the open in-cell editor; false (and nothing changes) when another one is open.
bool ClaimImplant(QWidget* w);
// Forgets w if it is the open in-cell editor.
void ReleaseImplant(QWidget* w);

// The widget whose pop-up list is open in this process, if any.
QWidget* OpenPopUpOwner();
bool ClaimPopUp(QWidget* owner);
void ReleasePopUp(QWidget* owner);

// True if w can take the keyboard focus now (visible, enabled, focus policy allows it).
bool CanFocus(const QWidget* w);

}  // namespace ZVCL
