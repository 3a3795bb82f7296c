#include "StatusNotifierItem.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtEndian>

#include <unistd.h>

namespace tunara {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString menuPath = QStringLiteral("/MenuBar");

} // namespace

std::unique_ptr<TrayIcon> makeTrayIcon(const QDBusConnection& bus)
{
    if (StatusNotifierItem::hostAvailable(bus))
        return std::make_unique<StatusNotifierItem>(bus);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        return makeXEmbedTrayIcon();
    return nullptr;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus)
    : bus_(std::move(bus))
    , serviceName_(QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(::getpid()))
    , watcher_(watcherService, bus_, QDBusServiceWatcher::WatchForRegistration)
{
    tray::registerTypes();
    new StatusNotifierItemAdaptor(*this);
    auto* menuObject = new QObject(this);
    new DBusMenuAdaptor(*menuObject, *this);
    bus_.registerObject(itemPath, this);
    bus_.registerObject(menuPath, menuObject);
    bus_.registerService(serviceName_);
    // A watcher that starts anew (the panel restarted) knows no item.
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierItem::registerWithWatcher);
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(menuPath);
    bus_.unregisterObject(itemPath);
}

bool StatusNotifierItem::hostAvailable(const QDBusConnection& bus)
{
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    constexpr int timeoutMilliseconds = 2000;
    const QDBusMessage reply = bus.call(get, QDBus::BlockWithGui, timeoutMilliseconds);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << serviceName_;
    bus_.asyncCall(call);
}

void StatusNotifierItem::setLook(const TrayLook& look)
{
    if (look == look_)
        return;
    const bool iconChanged = look.playing != look_.playing;
    const bool toolTipChanged = iconChanged || look.toolTipText != look_.toolTipText;
    look_ = look;
    emit lookChanged(iconChanged, toolTipChanged);
}

void StatusNotifierItem::setMenu(const TrayMenu& menu)
{
    const bool same = std::equal(menu.begin(), menu.end(), menu_.begin(), menu_.end(),
                                 [](const TrayMenuItem& a, const TrayMenuItem& b) { return a.sameLook(b); });
    menu_ = menu;
    if (same)
        return;
    ++menuRevision_;
    emit menuChanged();
}

tray::IconPixmaps StatusNotifierItem::iconPixmaps() const
{
    // For hosts without the themed icon.
    const QIcon icon = tray::drawnIcon(look_);
    tray::IconPixmaps pixmaps;
    for (const int size : {16, 22, 32, 48}) {
        QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        tray::IconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

QString StatusNotifierItem::iconThemePath() const
{
    // Run from where it was built, the themed icons are beside the program.
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/icons");
    return QDir(beside + QStringLiteral("/hicolor")).exists() ? beside : QString();
}

void StatusNotifierItem::scroll(int delta, const QString& orientation)
{
    if (orientation.compare(QStringLiteral("vertical"), Qt::CaseInsensitive) != 0)
        return;
    if (const int notches = notches_.add(delta))
        emit volumeNotches(notches);
}

void StatusNotifierItem::showContextMenu(int x, int y)
{
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    tray::fillMenu(*menu, menu_);
    menu->popup(x > 0 || y > 0 ? QPoint(x, y) : QCursor::pos());
}

bool StatusNotifierItem::triggerMenuItem(int id)
{
    if (id < 1 || id > menu_.size())
        return false;
    const TrayMenuItem item = menu_.at(id - 1);
    if (item.isSeparator() || !item.enabled || !item.trigger)
        return false;
    item.trigger();
    return true;
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem& item)
    : QDBusAbstractAdaptor(&item)
    , item_(item)
{
    connect(&item, &StatusNotifierItem::lookChanged, this, [this](bool iconChanged, bool toolTipChanged) {
        if (iconChanged)
            emit NewIcon();
        if (toolTipChanged)
            emit NewToolTip();
    });
}

tray::ToolTip StatusNotifierItemAdaptor::toolTip() const
{
    return {iconName(), {}, tray::programName(), item_.look().toolTipText};
}

QDBusObjectPath StatusNotifierItemAdaptor::menu() const
{
    return QDBusObjectPath(menuPath);
}

void StatusNotifierItemAdaptor::Activate(int, int)
{
    emit item_.activated();
}

void StatusNotifierItemAdaptor::SecondaryActivate(int, int)
{
    emit item_.secondaryActivated();
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y)
{
    item_.showContextMenu(x, y);
}

void StatusNotifierItemAdaptor::Scroll(int delta, const QString& orientation)
{
    item_.scroll(delta, orientation);
}

DBusMenuAdaptor::DBusMenuAdaptor(QObject& menuObject, StatusNotifierItem& item)
    : QDBusAbstractAdaptor(&menuObject)
    , item_(item)
{
    connect(&item, &StatusNotifierItem::menuChanged, this, [this] { emit LayoutUpdated(item_.menuRevision(), 0); });
}

QString DBusMenuAdaptor::textDirection() const
{
    return QGuiApplication::isRightToLeft() ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

QVariantMap DBusMenuAdaptor::properties(int id, const QStringList& names) const
{
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else {
        const TrayMenuItem& item = item_.menu().at(id - 1);
        if (item.isSeparator()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            // An underscore would mark an access key.
            all.insert(QStringLiteral("label"), QString(item.label).replace(u'_', QStringLiteral("__")));
            if (!item.enabled)
                all.insert(QStringLiteral("enabled"), false);
            if (item.radio) {
                all.insert(QStringLiteral("toggle-type"), QStringLiteral("radio"));
                all.insert(QStringLiteral("toggle-state"), item.checked ? 1 : 0);
            }
        }
    }
    if (names.isEmpty())
        return all;
    QVariantMap wanted;
    for (const QString& name : names) {
        if (all.contains(name))
            wanted.insert(name, all.value(name));
    }
    return wanted;
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                tray::MenuLayout& layout)
{
    if (!exists(parentId))
        parentId = 0;
    layout = {parentId, properties(parentId, propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0) {
        for (int id = 1; id <= item_.menu().size(); ++id)
            layout.children.push_back({id, properties(id, propertyNames), {}});
    }
    return item_.menuRevision();
}

tray::MenuItemPropertiesList DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids,
                                                                 const QStringList& propertyNames)
{
    tray::MenuItemPropertiesList result;
    for (const int id : ids) {
        if (exists(id))
            result.append({id, properties(id, propertyNames)});
    }
    return result;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name)
{
    return QDBusVariant(exists(id) ? properties(id, {}).value(name) : QVariant());
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint)
{
    if (eventId == QStringLiteral("clicked"))
        item_.triggerMenuItem(id);
}

QList<int> DBusMenuAdaptor::EventGroup(const tray::MenuEvents& events)
{
    QList<int> idErrors;
    for (const tray::MenuEvent& event : events) {
        if (!exists(event.id))
            idErrors.append(event.id);
        else
            Event(event.id, event.eventId, event.data, event.timestamp);
    }
    return idErrors;
}

bool DBusMenuAdaptor::AboutToShow(int)
{
    return false;
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    for (const int id : ids) {
        if (!exists(id))
            idErrors.append(id);
    }
    return {};
}

} // namespace tunara
