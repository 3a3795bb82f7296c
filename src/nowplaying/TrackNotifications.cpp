#include "TrackNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace tunara {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

// Servers may read the body as markup; quotes are plain text there.
QString escaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            result += QStringLiteral("&amp;");
        else if (c == u'<')
            result += QStringLiteral("&lt;");
        else if (c == u'>')
            result += QStringLiteral("&gt;");
        else
            result += c;
    }
    return result;
}

} // namespace

TrackNotifications::TrackNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , bus_(std::move(bus))
{
}

void TrackNotifications::show(const Track& track)
{
    if (awaitingId_)
        waiting_ = track;
    else
        notify(track);
}

void TrackNotifications::withdraw()
{
    waiting_.reset();
    if (awaitingId_) {
        withdrawWhenAnswered_ = true;
        return;
    }
    close(shownId_);
    shownId_ = 0;
}

void TrackNotifications::notify(const Track& track)
{
    // A call on no connection at all would never be answered.
    if (!bus_.isConnected())
        return;
    const QString body = track.artist.isEmpty() ? track.station : track.artist + u'\n' + track.station;
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("tunara")},
                      {QStringLiteral("transient"), true}};
    if (!track.imagePath.isEmpty())
        hints.insert(QStringLiteral("image-path"), track.imagePath);

    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    call << QStringLiteral("Tunara") << shownId_ << QStringLiteral("tunara") << track.title << escaped(body)
         << QStringList() << hints << -1;
    awaitingId_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        const QDBusPendingReply<uint> reply = *answered;
        awaitingId_ = false;
        // Without a server (or with one that failed) nothing is shown, and
        // an id it gave before means nothing any more.
        shownId_ = reply.isError() ? 0 : reply.value();
        if (withdrawWhenAnswered_) {
            withdrawWhenAnswered_ = false;
            close(shownId_);
            shownId_ = 0;
        }
        if (waiting_) {
            const Track next = *std::exchange(waiting_, std::nullopt);
            notify(next);
        }
    });
}

void TrackNotifications::close(uint id)
{
    if (id == 0)
        return;
    // Nothing to do if it fails: the server has gone, and the notification with it.
    bus_.asyncCall(QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"))
                   << id);
}

} // namespace tunara
