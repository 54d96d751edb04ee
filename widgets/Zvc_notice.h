// What a control tells the window it sits in, across the plug-in boundary (program and plug-ins
// share one Qt): a text for the status line, and the name of the edit step the control is about
// to make, so that the window's history names the step after the action rather than after the
// fields it changed.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QStatusTipEvent>
#include <QString>
#include <QWidget>

namespace ZVCL {

// Sent to the control's window; the window records the changes that follow under the name.
class TEditStepEvent final : public QEvent {
  public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x7E5);
    explicit TEditStepEvent(QString name) : QEvent(kType), name_(std::move(name)) {}
    const QString& Name() const { return name_; }

  private:
    QString name_;
};

inline void AnnounceEditStep(QWidget& from, const QString& name) {
    TEditStepEvent event(name);
    QCoreApplication::sendEvent(from.window(), &event);
}

// A status tip travels up to the window, which shows it on its status line for a while.
inline void ShowStatusText(QWidget& from, const QString& text) {
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(&from, &tip);
}

}  // namespace ZVCL
