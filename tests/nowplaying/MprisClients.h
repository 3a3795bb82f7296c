#pragma once

// Real D-Bus clients for the MPRIS tests. The service answers from this
// process's main loop, so every wait here keeps that loop running.

#include "nowplaying/MprisService.h"
#include "support/EventLoop.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QProcess>

#include <memory>
#include <utility>

namespace tunara::testing {

// Runs the main loop until every task posted to it before this call has run.
inline void drainMainLoop()
{
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [done] { *done = true; }, Qt::QueuedConnection);
    waitUntil([done] { return *done; });
}

struct ClientResult {
    int exitCode = -1;
    QString out; // trimmed; white space runs made one space
    QString err;
};

// Runs a client program to its end, at most 10 s.
inline ClientResult runClient(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).simplified(),
            QString::fromUtf8(process.readAllStandardError())};
}

inline QString playerctl(const QStringList& arguments)
{
    return runClient("playerctl", QStringList{"-p", "tunara"} + arguments).out;
}

// A method of the MPRIS object by dbus-send, which sends whatever it is
// given; arguments as type:value.
inline ClientResult call(const QString& method, const QStringList& arguments = {})
{
    return runClient("dbus-send", QStringList{"--session", "--print-reply", "--dest=" + MprisService::serviceName,
                                              MprisService::objectPath, method} + arguments);
}

inline QVariantMap toMap(const QVariant& dbusValue)
{
    return qdbus_cast<QVariantMap>(dbusValue.value<QDBusArgument>());
}

// Records the MPRIS object's signals as a desktop widget on a connection
// of its own sees them.
class SignalRecorder final : public QObject {
    Q_OBJECT

public:
    // A PropertiesChanged; a PlaylistChanged has the interface
    // "PlaylistChanged" and the playlist's id, name and icon.
    struct Change {
        QString interface;
        QVariantMap changed;
    };

    SignalRecorder()
        : connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("recorder")))
    {
        mpris::registerTypes();
        // From any sender: the service may not own its name yet.
        for (const auto& [interface, member] : {std::pair{"org.freedesktop.DBus.Properties", "PropertiesChanged"},
                                                {"org.mpris.MediaPlayer2.Playlists", "PlaylistChanged"}})
            connection_.connect({}, MprisService::objectPath, interface, member, this, SLOT(record(QDBusMessage)));
        // A round trip on the same connection: the match rules are in place.
        connection_.interface()->isServiceRegistered(MprisService::serviceName);
    }
    ~SignalRecorder() override { QDBusConnection::disconnectFromBus(QStringLiteral("recorder")); }

    // Takes the next change of interface (that changes property, when one
    // is named), dropping those before it; empty after 5 s.
    Change next(const QString& interface, const QString& property = {})
    {
        const auto wanted = [&](const Change& change) {
            return change.interface == interface && (property.isEmpty() || change.changed.contains(property));
        };
        const bool arrived = waitUntil([&] {
            while (!changes.isEmpty() && !wanted(changes.front()))
                changes.removeFirst();
            return !changes.isEmpty();
        }, 5);
        return arrived ? changes.takeFirst() : Change{};
    }

    // Waits for every signal sent before this call, and tells whether there
    // were none left to take. The service answers a ping only after them.
    bool quiet()
    {
        const QDBusPendingCall ping = connection_.asyncCall(QDBusMessage::createMethodCall(
            MprisService::serviceName, MprisService::objectPath, "org.freedesktop.DBus.Peer", "Ping"));
        waitUntil([&] { return ping.isFinished(); });
        drainMainLoop();
        return changes.isEmpty();
    }

    QList<Change> changes;

public slots:
    void record(const QDBusMessage& message)
    {
        const QVariantList arguments = message.arguments();
        if (message.member() == QStringLiteral("PropertiesChanged")) {
            changes.push_back({arguments.value(0).toString(), toMap(arguments.value(1))});
            return;
        }
        mpris::Playlist playlist;
        arguments.value(0).value<QDBusArgument>() >> playlist;
        changes.push_back(
            {message.member(), {{"id", playlist.id.path()}, {"name", playlist.name}, {"icon", playlist.icon}}});
    }

private:
    QDBusConnection connection_;
};

} // namespace tunara::testing
