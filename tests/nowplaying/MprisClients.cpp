#include "MprisClients.h"

#include "nowplaying/MprisService.h"
#include "playback/QtScheduler.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace tunara::testing {

void drainMainLoop()
{
    auto done = std::make_shared<bool>(false);
    QtScheduler::mainLoop().post([done] { *done = true; });
    waitUntil([done] { return *done; });
}

ClientResult runClient(const QString& program, const QStringList& arguments, const QString& busAddress)
{
    QProcess process;
    if (!busAddress.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        process.setProcessEnvironment(environment);
    }
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

ClientResult gdbusCall(const QString& method, const QStringList& arguments, const QString& busAddress)
{
    return runClient(QStringLiteral("gdbus"),
                     QStringList{"call", "--session", "--dest", MprisService::serviceName, "--object-path",
                                 MprisService::objectPath, "--method", method}
                         + arguments,
                     busAddress);
}

QVariantMap toMap(const QVariant& dbusValue)
{
    return qdbus_cast<QVariantMap>(dbusValue.value<QDBusArgument>());
}

namespace {

QDBusConnection connectTo(const QString& busAddress, const QString& name)
{
    if (busAddress.isEmpty())
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    return QDBusConnection::connectToBus(busAddress, name);
}

} // namespace

SignalRecorder::SignalRecorder(const QString& busAddress)
    : connectionName_(QStringLiteral("recorder-%1").arg(reinterpret_cast<quintptr>(this)))
    , connection_(connectTo(busAddress, connectionName_))
{
    mpris::registerTypes();
    // From any sender: the recorder may start listening before the service
    // owns its name.
    const QString path = MprisService::objectPath;
    connection_.connect(QString(), path, QStringLiteral("org.freedesktop.DBus.Properties"),
                        QStringLiteral("PropertiesChanged"), this, SLOT(record(QDBusMessage)));
    connection_.connect(QString(), path, QStringLiteral("org.mpris.MediaPlayer2.Playlists"),
                        QStringLiteral("PlaylistChanged"), this, SLOT(record(QDBusMessage)));
    // A round trip with the bus on the same connection: the match rules
    // are in place.
    connection_.interface()->isServiceRegistered(MprisService::serviceName);
}

SignalRecorder::~SignalRecorder()
{
    QDBusConnection::disconnectFromBus(connectionName_);
}

void SignalRecorder::record(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (message.member() == QStringLiteral("PropertiesChanged") && arguments.size() == 3) {
        changes.push_back({arguments[0].toString(), toMap(arguments[1])});
    } else if (message.member() == QStringLiteral("PlaylistChanged") && arguments.size() == 1) {
        mpris::Playlist playlist;
        arguments[0].value<QDBusArgument>() >> playlist;
        playlistChanges.push_back(playlist);
    }
}

SignalRecorder::Change SignalRecorder::next(const QString& interface, const QString& property)
{
    const auto wanted = [&](const Change& change) {
        return change.interface == interface && (property.isEmpty() || change.changed.contains(property));
    };
    const bool arrived = waitUntil([&] {
        while (!changes.empty() && !wanted(changes.front()))
            changes.erase(changes.begin());
        return !changes.empty();
    }, 5);
    if (!arrived)
        return {};
    Change change = changes.front();
    changes.erase(changes.begin());
    return change;
}

mpris::Playlist SignalRecorder::nextPlaylistChange()
{
    if (!waitUntil([&] { return !playlistChanges.empty(); }, 5))
        return {QDBusObjectPath(QStringLiteral("/")), {}, {}};
    mpris::Playlist playlist = playlistChanges.front();
    playlistChanges.erase(playlistChanges.begin());
    return playlist;
}

void SignalRecorder::catchUp()
{
    // The service answers after it has sent every earlier signal.
    QDBusMessage call = QDBusMessage::createMethodCall(MprisService::serviceName, MprisService::objectPath,
                                                       QStringLiteral("org.freedesktop.DBus.Peer"),
                                                       QStringLiteral("Ping"));
    const QDBusPendingCall pending = connection_.asyncCall(call);
    waitUntil([&] { return pending.isFinished(); });
    drainMainLoop();
}

void SignalRecorder::flush()
{
    catchUp();
    changes.clear();
    playlistChanges.clear();
}

} // namespace tunara::testing
