#include "Zvc_main.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace ZVCL {

namespace {

constexpr const char* kImplantProperty = "ZVCL.CurrentImplant";
constexpr const char* kPopUpProperty = "ZVCL.OpenPopUpOwner";

// Stored as a weak pointer, so a holder that is destroyed while open frees the anchor.
QWidget* ReadAnchor(const char* name) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return nullptr;
    return qobject_cast<QWidget*>(app->property(name).value<QPointer<QObject>>().data());
}

void WriteAnchor(const char* name, QObject* value) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->setProperty(name, QVariant::fromValue(QPointer<QObject>(value)));
}

bool ClaimAnchor(const char* name, QWidget* w) {
    QWidget* const holder = ReadAnchor(name);
    if (holder && holder != w) return false;
    WriteAnchor(name, w);
    return true;
}

void ReleaseAnchor(const char* name, QWidget* w) {
    if (ReadAnchor(name) == w) WriteAnchor(name, nullptr);
}

}  // namespace

QFont KitFont(const QString& family, int pixelHeight, bool bold) {
    static const QStringList installed = QFontDatabase::families();
    // Qt's font cache keeps the family names for the life of the program. A name that is a
    // literal of a plug-in would point into the plug-in after it is unloaded, so the names
    // handed to Qt are always copies.
    const QString name(family.constData(), family.size());
    QFont font;
    if (installed.contains(name, Qt::CaseInsensitive))
        font.setFamily(name);
    else
        // Narrow sans faces first, so that captions sized for the original face still fit.
        font.setFamilies({name, QString::fromLatin1("Nimbus Sans"),
                          QString::fromLatin1("Liberation Sans"),
                          QString::fromLatin1("DejaVu Sans"), QString::fromLatin1("Sans Serif")});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void FireMouse(const TMouseEvent& handler, const QMouseEvent& event) {
    if (!handler) return;
    const QPoint pos = event.position().toPoint();
    handler(event.button(), event.modifiers(), pos.x(), pos.y());
}

void FireMouseMove(const TMouseEvent& handler, const QMouseEvent& event) {
    if (!handler) return;
    const QPoint pos = event.position().toPoint();
    handler(Qt::NoButton, event.modifiers(), pos.x(), pos.y());
}

int FireKey(const TKeyEvent& handler, const QKeyEvent& event) {
    int key = event.key();
    if (handler) handler(key, event.modifiers());
    return key;
}

int TZWheelSteps::Add(int delta) {
    rest_ += delta;
    const int steps = rest_ / 120;
    rest_ -= steps * 120;
    return steps;
}

QWidget* CurrentImplant() {
    return ReadAnchor(kImplantProperty);
}
bool ClaimImplant(QWidget* w) {
    return ClaimAnchor(kImplantProperty, w);
}
void ReleaseImplant(QWidget* w) {
    ReleaseAnchor(kImplantProperty, w);
}

QWidget* OpenPopUpOwner() {
    return ReadAnchor(kPopUpProperty);
}
bool ClaimPopUp(QWidget* owner) {
    return ClaimAnchor(kPopUpProperty, owner);
}
void ReleasePopUp(QWidget* owner) {
    ReleaseAnchor(kPopUpProperty, owner);
}

bool CanFocus(const QWidget* w) {
    return w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

}  // namespace ZVCL
