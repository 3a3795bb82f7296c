#include "MprisService.h"

#include "MprisAdaptors.h"

#include "model/Store.h"
#include "common/Diagnostics.h"
#include "common/DisplayText.h"

#include <QDBusError>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace tunara {

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString playlistsInterface = QStringLiteral("org.mpris.MediaPlayer2.Playlists");

bool sameStationsInSameOrder(const QList<mpris::Playlist>& a, const QList<mpris::Playlist>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const mpris::Playlist& x, const mpris::Playlist& y) { return x.id == y.id; });
}

} // namespace

MprisService::MprisService(NowPlayingManager& manager, QDBusConnection connection)
    : manager_(manager)
    , connection_(std::move(connection))
    , artworkFiles_(artworkDirectory())
{
    mpris::registerTypes();
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    playlistsAdaptor_ = new MprisPlaylistsAdaptor(*this);

    sentPlaybackStatus_ = playbackStatus();
    sentMetadata_ = metadata();
    connect(&manager_, &NowPlayingManager::nowPlayingChanged, this, &MprisService::publishPlayerChanges);
    connect(&artworkFiles_, &ArtworkFiles::written, this, &MprisService::artworkWritten);

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

    followStore(manager_.store());
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

QVariantMap MprisService::metadata()
{
    const auto& info = manager_.nowPlayingInfo();
    if (!info)
        return {};
    return mpris::metadata(*info, mpris::trackPath(trackNumber_), artworkFiles_.url(info->albumTitle));
}

QString MprisService::iconOf(const QString& stationName)
{
    return artworkFiles_.url(stationName).toString(QUrl::FullyEncoded);
}

const QList<mpris::Playlist>& MprisService::currentPlaylists()
{
    // A client reading the list sees every change made before it asked.
    if (listChanged_)
        publishPlaylistChanges();
    return playlists_;
}

uint MprisService::playlistCount()
{
    return static_cast<uint>(currentPlaylists().size());
}

QList<mpris::Playlist> MprisService::playlists(uint index, uint maxCount, bool reverseOrder)
{
    const qsizetype count = currentPlaylists().size();
    if (index >= static_cast<uint>(count))
        return {};
    const qsizetype size = std::min<qsizetype>(maxCount, count - index);
    QList<mpris::Playlist> page;
    page.reserve(size);
    QStringList undrawn;
    for (qsizetype k = 0; k < size; ++k) {
        const qsizetype i = reverseOrder ? count - 1 - index - k : index + k;
        page.append(playlists_[i]);
        if (playlists_[i].icon.isEmpty())
            undrawn.append(playlistArtworkNames_[i]);
    }
    artworkFiles_.request(undrawn);
    return page;
}

mpris::MaybePlaylist MprisService::activePlaylist()
{
    if (!store_ || !store_->selectedStream())
        return {};
    const AudioStream& selected = *store_->selectedStream();
    const QString name = cleanDisplayText(selected.name);
    return {true, {mpris::playlistPath(selected.id), mpris::busSafeText(name), iconOf(name)}};
}

double MprisService::volume() const
{
    return store_ ? store_->volume() : 1.0;
}

void MprisService::setVolume(double volume)
{
    if (store_ && std::isfinite(volume))
        store_->setVolume(std::clamp(volume, 0.0, 1.0));
}

void MprisService::followStore(Store& store)
{
    if (store_ == &store)
        return;
    if (store_)
        disconnect(store_, nullptr, this, nullptr);
    store_ = &store;
    connect(&store, &Store::streamsChanged, this, [this] { schedulePlaylistChanges(true); });
    connect(&store, &Store::selectedStreamChanged, this, [this] { schedulePlaylistChanges(false); });
    // Every change, also one made in the desktop's mixer, reaches the
    // desktop's media widgets.
    connect(&store, &Store::volumeChanged, this, [this] {
        sendPropertiesChanged(playerInterface, {{QStringLiteral("Volume"), volume()}});
    });
    // Publishes the list and removes the files of stations no longer in it.
    listChanged_ = true;
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
    // The station's artwork follows in another change once it is drawn.
    if (info && !sentMetadata_.contains(QStringLiteral("mpris:artUrl")))
        artworkFiles_.request({info->albumTitle});
}

void MprisService::schedulePlaylistChanges(bool listChanged)
{
    listChanged_ = listChanged_ || listChanged;
    if (playlistChangesPosted_)
        return;
    playlistChangesPosted_ = true;
    manager_.scheduler().post([self = QPointer<MprisService>(this)] {
        if (self && self->playlistChangesPosted_)
            self->publishPlaylistChanges();
    });
}

void MprisService::publishPlaylistChanges()
{
    playlistChangesPosted_ = false;
    QVariantMap changed;
    if (listChanged_)
        rebuildPlaylists(changed);

    const mpris::MaybePlaylist active = activePlaylist();
    if (!(active == sentActivePlaylist_)) {
        sentActivePlaylist_ = active;
        changed.insert(QStringLiteral("ActivePlaylist"), QVariant::fromValue(active));
    }
    if (!changed.isEmpty())
        sendPropertiesChanged(playlistsInterface, changed);
    // The selected station is the one playing or about to: its icon is
    // needed.
    if (active.valid && active.playlist.icon.isEmpty())
        artworkFiles_.request({cleanDisplayText(store_->selectedStream()->name)});
}

void MprisService::rebuildPlaylists(QVariantMap& changed)
{
    listChanged_ = false;
    if (!store_)
        return;
    const QList<AudioStream>& streams = store_->streams();
    QList<mpris::Playlist> current;
    QStringList names;
    QMultiHash<QString, qsizetype> indexByName;
    current.reserve(streams.size());
    names.reserve(streams.size());
    indexByName.reserve(streams.size());
    for (const AudioStream& stream : streams) {
        QString name = cleanDisplayText(stream.name);
        indexByName.insert(name, current.size());
        current.append({mpris::playlistPath(stream.id), mpris::busSafeText(name), iconOf(name)});
        names.append(std::move(name));
    }

    // Stations added, removed or moved: the count tells clients to read the
    // list again, whatever the size of the change. Stations renamed in place
    // are announced one by one, and a renamed station whose icon a client
    // was shown gets its new icon drawn.
    if (sameStationsInSameOrder(current, playlists_)) {
        QStringList redrawn;
        for (qsizetype i = 0; i < current.size(); ++i) {
            if (current[i] == playlists_[i])
                continue;
            emit playlistsAdaptor_->PlaylistChanged(current[i]);
            if (current[i].icon.isEmpty() && !playlists_[i].icon.isEmpty())
                redrawn.append(names[i]);
        }
        artworkFiles_.request(redrawn);
    } else {
        changed.insert(QStringLiteral("PlaylistCount"), static_cast<uint>(current.size()));
    }
    playlists_ = std::move(current);
    playlistArtworkNames_ = names;
    playlistIndexByName_ = std::move(indexByName);

    // Files of stations no longer in the list go; the one playing keeps its
    // file even when it is not in the list.
    QSet<QString> kept(names.cbegin(), names.cend());
    if (const auto& info = manager_.nowPlayingInfo())
        kept.insert(info->albumTitle);
    artworkFiles_.keepOnly(kept);
}

void MprisService::artworkWritten(const QString& stationName)
{
    const QString icon = iconOf(stationName);
    for (const qsizetype index : playlistIndexByName_.values(stationName)) {
        playlists_[index].icon = icon;
        emit playlistsAdaptor_->PlaylistChanged(playlists_[index]);
    }
    publishPlayerChanges();
    schedulePlaylistChanges(false);
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
