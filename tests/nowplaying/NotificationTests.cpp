// Track notifications over the test's private session bus, to a stand-in
// notification server on a connection of its own, so every call travels
// through the bus daemon.

#include "nowplaying/TrackNotifications.h"
#include "support/EventLoop.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"

#include <QDBusConnection>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace tunara {
namespace {

using namespace testing;
using Track = TrackNotifications::Track;

// Records each call: "Notify <replaces_id> -> <id> <summary>" or
// "Close <id>" in log, and every argument of each Notify in details.
// Ids count up from 1 for each server.
class Server final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    Server() : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName()))
    {
        bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots);
        EXPECT_TRUE(bus_.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    ~Server() override
    {
        bus_.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        bus_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        QDBusConnection::disconnectFromBus(bus_.name());
    }

    QStringList log;
    QStringList details;

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        const uint id = ++lastId_;
        log.append(QStringLiteral("Notify %1 -> %2 %3").arg(replaces).arg(id).arg(summary));
        QStringList hintTexts;
        for (auto hint = hints.begin(); hint != hints.end(); ++hint)
            hintTexts.append(hint.key() + u'=' + hint->toString() + u':' + hint->typeName());
        details.append(QStringList{app, icon, body, '[' + actions.join(',') + ']', QString::number(timeout),
                                   hintTexts.join(' ')}.join(" | "));
        return id;
    }
    void CloseNotification(uint id) { log.append("Close " + QString::number(id)); }

private:
    static QString connectionName()
    {
        static int count = 0;
        return QStringLiteral("notification-server-%1").arg(++count);
    }

    QDBusConnection bus_;
    uint lastId_ = 0;
};

// Each track replaces the one before; one withdrawn is closed, and the next
// starts afresh.
TEST(Notifications, EachTrackReplacesTheOneBeforeWithItsDetailsUntilWithdrawn)
{
    Server server;
    TrackNotifications notifications(QDBusConnection::sessionBus());
    notifications.withdraw(); // nothing shown, nothing to close
    // The second comes and goes while the first is awaited: only the third
    // follows it, replacing it.
    notifications.show({"First <Song>", "Tom & Jerry <Live>", "Radio \"A\"", "/tmp/artwork/a.png"});
    notifications.show({"Second", "Nobody", "Radio B", {}});
    notifications.show({"Third", {}, "Radio <C>", {}});
    ASSERT_TRUE(waitUntil([&] { return server.log.size() >= 2; }));
    notifications.show({"Fourth", "Someone", "Radio D", "/tmp/artwork/d.png"});
    ASSERT_TRUE(waitUntil([&] { return server.log.size() >= 3; }));
    runFor(0.3); // and its id back here
    notifications.withdraw();
    notifications.show({"Five", "A", "Radio", {}});
    // Withdrawn before the server has given its id: closed once it has.
    notifications.withdraw();
    notifications.show({"Six", "A", "Radio", {}});
    ASSERT_TRUE(waitUntil([&] { return server.log.size() >= 7; }));
    runFor(0.2);

    EXPECT_EQ(server.log, (QStringList{"Notify 0 -> 1 First <Song>", "Notify 1 -> 2 Third", "Notify 2 -> 3 Fourth",
                                       "Close 3", "Notify 0 -> 4 Five", "Close 4", "Notify 0 -> 5 Six"}));
    const QString plainHints = "desktop-entry=tunara:QString transient=true:bool";
    EXPECT_EQ(server.details.mid(0, 3),
              (QStringList{"Tunara | tunara | Tom &amp; Jerry &lt;Live&gt;\nRadio \"A\" | [] | -1 | desktop-entry=tunara:"
                           "QString image-path=/tmp/artwork/a.png:QString transient=true:bool",
                           "Tunara | tunara | Radio &lt;C&gt; | [] | -1 | " + plainHints,
                           "Tunara | tunara | Someone\nRadio D | [] | -1 | desktop-entry=tunara:QString "
                           "image-path=/tmp/artwork/d.png:QString transient=true:bool"}));
}

QStringList qtMessages;

TEST(Notifications, WithoutServerNothingHappensUntilOneAppears)
{
    qtMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { qtMessages.append(message); });
    const StdoutCapture output;
    TrackNotifications notifications(QDBusConnection::sessionBus());
    notifications.show({"One", "A", "Radio", "/tmp/artwork/a.png"});
    notifications.show({"Two", "A", "Radio", {}});
    notifications.withdraw();
    notifications.show({"Three", {}, "Radio", {}});
    runFor(1);

    Server server;
    notifications.show({"Four", {}, "Radio", {}});
    ASSERT_TRUE(waitUntil([&] { return server.log.size() >= 1; }));
    runFor(0.2);
    qInstallMessageHandler(previous);

    EXPECT_EQ(server.log, QStringList{"Notify 0 -> 1 Four"});
    EXPECT_EQ(output.lines(), QStringList());
    EXPECT_EQ(qtMessages, QStringList());
}

} // namespace
} // namespace tunara

#include "NotificationTests.moc"
