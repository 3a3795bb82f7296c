#pragma once

// The values of the StatusNotifierItem and com.canonical.dbusmenu
// interfaces and their D-Bus marshalling.

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace tunara::tray {

// One size of an icon, D-Bus (iiay): ARGB32 in network byte order.
struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using IconPixmaps = QList<IconPixmap>;

// D-Bus (sa(iiay)ss).
struct ToolTip {
    QString iconName;
    IconPixmaps pixmaps;
    QString title;
    QString text;
};

// A menu entry with its properties and its children, D-Bus (ia{sv}av).
struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    std::vector<MenuLayout> children;
};

// D-Bus (ia{sv}).
struct MenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

// D-Bus (ias).
struct MenuItemRemovedProperties {
    int id = 0;
    QStringList names;
};
using MenuItemRemovedPropertiesList = QList<MenuItemRemovedProperties>;

// D-Bus (isvu).
struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEvents = QList<MenuEvent>;

// Registers the types above with Qt D-Bus; safe to call more than once.
void registerTypes();

} // namespace tunara::tray

QDBusArgument& operator<<(QDBusArgument& argument, const tunara::tray::IconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::tray::IconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const tunara::tray::ToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::tray::ToolTip& toolTip);
QDBusArgument& operator<<(QDBusArgument& argument, const tunara::tray::MenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::tray::MenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const tunara::tray::MenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::tray::MenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const tunara::tray::MenuItemRemovedProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::tray::MenuItemRemovedProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const tunara::tray::MenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, tunara::tray::MenuEvent& event);

Q_DECLARE_METATYPE(tunara::tray::IconPixmap)
Q_DECLARE_METATYPE(tunara::tray::ToolTip)
Q_DECLARE_METATYPE(tunara::tray::MenuLayout)
Q_DECLARE_METATYPE(tunara::tray::MenuItemProperties)
Q_DECLARE_METATYPE(tunara::tray::MenuItemRemovedProperties)
Q_DECLARE_METATYPE(tunara::tray::MenuEvent)
