#include "Announcement.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>

namespace tunara {

namespace {

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
// The object the accessibility bus reports as focused: the window's focus
// followed down to the row or control that has it.
QObject* focusedObject(QWindow* window)
{
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(window);
    for (int depth = 0; focused && depth < 32; ++depth) {
        QAccessibleInterface* child = focused->focusChild();
        if (!child || child == focused)
            break;
        focused = child;
    }
    return focused ? focused->object() : nullptr;
}
#endif

} // namespace

void announce(const QString& text)
{
    auto* window = qobject_cast<QQuickWindow*>(QGuiApplication::focusWindow());
    if (text.isEmpty() || !window || !QAccessible::isActive())
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (QObject* focused = focusedObject(window)) {
        QAccessibleAnnouncementEvent event(focused, text);
        QAccessible::updateAccessibility(&event);
    }
#else
    // Qt before 6.8 has no announcement its AT-SPI bridge sends, drops
    // alerts, and tells a new name or description without the text. Orca
    // speaks a notification that shows: each window has an announcer
    // (Announcer.qml) that shows one for each text.
    if (QQuickItem* announcer = window->contentItem()->findChild<QQuickItem*>(QStringLiteral("announcer")))
        QMetaObject::invokeMethod(announcer, "say", Q_ARG(QVariant, text));
#endif
}

} // namespace tunara
