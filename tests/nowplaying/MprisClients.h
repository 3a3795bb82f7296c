#pragma once

// Real D-Bus clients for the MPRIS tests: client programs run to their end
// while the main loop serves the bus, and a recorder of the signals a
// desktop widget on another connection sees.

#include "nowplaying/MprisTypes.h"
#include "support/EventLoop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace tunara::testing {

// Runs the main loop until every task posted to it before this call has run.
void drainMainLoop();

struct ClientResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a client program to its end (at most 10 s), on the session bus or
// on the bus at busAddress.
ClientResult runClient(const QString& program, const QStringList& arguments, const QString& busAddress = {});
// gdbus call on the MPRIS object.
ClientResult gdbusCall(const QString& method, const QStringList& arguments, const QString& busAddress = {});

QVariantMap toMap(const QVariant& dbusValue);

// Records the MPRIS object's PropertiesChanged and PlaylistChanged signals.
class SignalRecorder final : public QObject {
    Q_OBJECT

public:
    struct Change {
        QString interface;
        QVariantMap changed;
    };

    // Listens on the session bus, or on the bus at busAddress.
    explicit SignalRecorder(const QString& busAddress = {});
    ~SignalRecorder() override;

    // Waits for the next PropertiesChanged of interface (that changes
    // property, when one is named) and takes it, dropping those before it;
    // empty after 5 s without one.
    Change next(const QString& interface, const QString& property = {});
    // Waits for the next PlaylistChanged and takes it; id "/" after 5 s
    // without one.
    mpris::Playlist nextPlaylistChange();
    // Waits until every signal the service sent before this call has
    // arrived.
    void catchUp();
    // Catches up, then forgets everything recorded.
    void flush();

    std::vector<Change> changes;
    std::vector<mpris::Playlist> playlistChanges;

public slots:
    void record(const QDBusMessage& message);

private:
    QString connectionName_;
    QDBusConnection connection_;
};

} // namespace tunara::testing
