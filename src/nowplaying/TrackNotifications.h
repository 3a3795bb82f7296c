#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace tunara {

// A desktop notification for each new track (org.freedesktop.Notifications):
// one at a time, each replacing the one before (replaces_id) rather than
// stacking, transient so tracks do not fill the notification history, with
// the station's picture and the desktop entry "tunara". Without a
// notification server nothing happens and nothing is reported.
class TrackNotifications final : public QObject {
    Q_OBJECT

public:
    struct Track {
        QString title;
        QString artist;    // may be empty
        QString station;
        QString imagePath; // a picture file; may be empty
    };

    explicit TrackNotifications(QDBusConnection bus, QObject* parent = nullptr);

    void show(const Track& track);
    // Takes the notification shown away (playback stopped, notifications
    // turned off); the next track starts a new one.
    void withdraw();

private:
    void notify(const Track& track);
    void close(uint id);

    QDBusConnection bus_;
    uint shownId_ = 0;
    // A track shown while the server's answer to the one before is awaited
    // waits for that id, so it replaces rather than stacks.
    bool awaitingId_ = false;
    std::optional<Track> waiting_;
    bool withdrawWhenAnswered_ = false;
};

} // namespace tunara
