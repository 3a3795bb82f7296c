#pragma once

#include "TrayDBusTypes.h"
#include "TrayIcon.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

namespace tunara {

// The tray icon as a StatusNotifierItem on the session bus, registered with
// the desktop's org.kde.StatusNotifierWatcher (again whenever the watcher
// starts anew), with its menu exported over com.canonical.dbusmenu.
class StatusNotifierItem final : public TrayIcon {
    Q_OBJECT

public:
    explicit StatusNotifierItem(QDBusConnection bus);
    ~StatusNotifierItem() override;

    // Whether a watcher runs on the bus with a host that shows items.
    static bool hostAvailable(const QDBusConnection& bus);

    void setLook(const TrayLook& look) override;
    void setMenu(const TrayMenu& menu) override;

    const QString& serviceName() const { return serviceName_; }

    // What the interfaces read and do.
    const TrayLook& look() const { return look_; }
    const TrayMenu& menu() const { return menu_; }
    uint menuRevision() const { return menuRevision_; }
    tray::IconPixmaps iconPixmaps() const;
    QString iconThemePath() const;
    void scroll(int delta, const QString& orientation);
    void showContextMenu(int x, int y);
    // Runs the entry with that id (its position, from 1) of the menu.
    bool triggerMenuItem(int id);

signals:
    void lookChanged(bool iconChanged, bool toolTipChanged);
    void menuChanged();

private:
    void registerWithWatcher();

    QDBusConnection bus_;
    QString serviceName_;
    QDBusServiceWatcher watcher_;
    TrayLook look_;
    TrayMenu menu_;
    uint menuRevision_ = 1;
    ScrollNotches notches_;
};

class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(tunara::tray::IconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ none)
    Q_PROPERTY(tunara::tray::IconPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ none)
    Q_PROPERTY(tunara::tray::IconPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ none)
    Q_PROPERTY(tunara::tray::ToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem& item);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("tunara"); }
    QString title() const { return tray::programName(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconThemePath() const { return item_.iconThemePath(); }
    QString iconName() const { return tray::iconName(item_.look()); }
    tray::IconPixmaps iconPixmap() const { return item_.iconPixmaps(); }
    QString none() const { return {}; }
    tray::IconPixmaps noPixmaps() const { return {}; }
    tray::ToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const;

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem& item_;
};

// The menu as com.canonical.dbusmenu: the root (id 0) and its entries,
// numbered by position from 1, the layout's revision growing with each
// change.
class DBusMenuAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    DBusMenuAdaptor(QObject& menuObject, StatusNotifierItem& item);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, tunara::tray::MenuLayout& layout);
    tunara::tray::MenuItemPropertiesList GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const tunara::tray::MenuEvents& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const tunara::tray::MenuItemPropertiesList& updated,
                                const tunara::tray::MenuItemRemovedPropertiesList& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    QVariantMap properties(int id, const QStringList& names) const;
    bool exists(int id) const { return id >= 0 && id <= item_.menu().size(); }

    StatusNotifierItem& item_;
};

} // namespace tunara
