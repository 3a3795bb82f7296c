#include "MprisService.h"

#include "MprisAdaptors.h"

#include "model/Store.h"
#include "playback/Diagnostics.h"

#include <QDBusError>

namespace tunara {

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString playlistsInterface = QStringLiteral("org.mpris.MediaPlayer2.Playlists");

} // namespace

MprisService::MprisService(NowPlayingManager& manager, QDBusConnection connection)
    : manager_(manager)
    , connection_(std::move(connection))
{
    mpris::registerTypes();
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    playlistsAdaptor_ = new MprisPlaylistsAdaptor(*this);

    sentPlaybackStatus_ = playbackStatus();
    sentMetadata_ = metadata();
    connect(&manager_, &NowPlayingManager::nowPlayingChanged, this, &MprisService::publishPlayerChanges);

    // The object must exist before the name appears, so that a client that
    // sees the name can use it at once.
    if (!connection_.registerObject(objectPath, this, QDBusConnection::ExportAdaptors)) {
        writeDiagnosticLine(QStringLiteral("Failed to export the media player object: ")
                            + connection_.lastError().message());
    } else if (!connection_.registerService(serviceName)) {
        writeDiagnosticLine(QStringLiteral("Failed to register ") + serviceName + QStringLiteral(": ")
                            + connection_.lastError().message());
        connection_.unregisterObject(objectPath);
    } else {
        registered_ = true;
    }

    // The manager is usually created while the Store itself is being built,
    // so the Store is reached only once the main loop runs.
    manager_.scheduler().post([self = QPointer<MprisService>(this)] {
        if (self)
            self->followStore(self->manager_.store());
    });
}

MprisService::~MprisService()
{
    if (registered_) {
        connection_.unregisterService(serviceName);
        connection_.unregisterObject(objectPath);
    }
}

QString MprisService::playbackStatus() const
{
    if (!manager_.nowPlayingInfo())
        return mpris::playbackStatus(NowPlayingPlaybackState::stopped);
    return mpris::playbackStatus(manager_.playbackState());
}

QVariantMap MprisService::metadata() const
{
    const auto& info = manager_.nowPlayingInfo();
    if (!info)
        return {};
    const QUrl artUrl = info->artwork ? info->artwork->fileUrl() : QUrl();
    return mpris::metadata(*info, mpris::trackPath(trackNumber_), artUrl);
}

QList<mpris::Playlist> MprisService::playlists() const
{
    QList<mpris::Playlist> result;
    if (!store_)
        return result;
    for (const AudioStream& stream : store_->streams()) {
        const QUrl icon = manager_.artwork(stream.name)->fileUrl();
        result.append({mpris::playlistPath(stream.id), mpris::busSafeText(stream.name),
                       icon.toString(QUrl::FullyEncoded)});
    }
    return result;
}

mpris::MaybePlaylist MprisService::activePlaylist() const
{
    if (!store_ || !store_->selectedStream())
        return {};
    const AudioStream& selected = *store_->selectedStream();
    const QUrl icon = manager_.artwork(selected.name)->fileUrl();
    return {true, {mpris::playlistPath(selected.id), mpris::busSafeText(selected.name), icon.toString(QUrl::FullyEncoded)}};
}

void MprisService::followStore(Store& store)
{
    if (store_ == &store)
        return;
    if (store_)
        disconnect(store_, nullptr, this, nullptr);
    store_ = &store;
    connect(&store, &Store::streamsChanged, this, &MprisService::publishPlaylistChanges);
    connect(&store, &Store::selectedStreamChanged, this, &MprisService::publishPlaylistChanges);
    publishPlaylistChanges();
}

void MprisService::activatePlaylist(const QDBusObjectPath& playlist, const QDBusMessage& message)
{
    if (store_) {
        for (const AudioStream& stream : store_->streams()) {
            if (mpris::playlistPath(stream.id) != playlist)
                continue;
            manager_.scheduler().post([store = store_, id = stream.id] {
                if (store)
                    store->playStream(id);
            });
            return;
        }
    }
    replyWithError(message, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                   QStringLiteral("No such playlist: ") + playlist.path());
}

void MprisService::replyWithError(const QDBusMessage& message, const QString& name, const QString& text)
{
    message.setDelayedReply(true);
    connection_.send(message.createErrorReply(name, text));
}

void MprisService::publishPlayerChanges()
{
    // A new track id for every distinct track; a fresh start after a clear
    // counts as a new track.
    const auto& info = manager_.nowPlayingInfo();
    std::optional<TrackKey> track;
    if (info)
        track = TrackKey{info->title, info->artist, info->albumTitle};
    if (track && track != currentTrack_)
        ++trackNumber_;
    currentTrack_ = track;

    QVariantMap changed;
    if (const QString status = playbackStatus(); status != sentPlaybackStatus_) {
        sentPlaybackStatus_ = status;
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    }
    if (QVariantMap map = metadata(); map != sentMetadata_) {
        sentMetadata_ = map;
        changed.insert(QStringLiteral("Metadata"), map);
    }
    if (!changed.isEmpty())
        sendPropertiesChanged(playerInterface, changed);
}

void MprisService::publishPlaylistChanges()
{
    const QList<mpris::Playlist> current = playlists();
    QVariantMap changed;
    if (current.size() != sentPlaylists_.size())
        changed.insert(QStringLiteral("PlaylistCount"), static_cast<uint>(current.size()));
    // A playlist is reported as changed when it is new, renamed or moved.
    for (qsizetype i = 0; i < current.size(); ++i) {
        if (i >= sentPlaylists_.size() || !(sentPlaylists_[i] == current[i]))
            emit playlistsAdaptor_->PlaylistChanged(current[i]);
    }
    sentPlaylists_ = current;

    if (const mpris::MaybePlaylist active = activePlaylist(); !(active == sentActivePlaylist_)) {
        sentActivePlaylist_ = active;
        changed.insert(QStringLiteral("ActivePlaylist"), QVariant::fromValue(active));
    }
    if (!changed.isEmpty())
        sendPropertiesChanged(playlistsInterface, changed);
}

void MprisService::sendPropertiesChanged(const QString& interface, const QVariantMap& changed)
{
    if (!registered_)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    connection_.send(signal);
}

} // namespace tunara
