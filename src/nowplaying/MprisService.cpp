#include "MprisService.h"

#include "model/logos/StationLogos.h"

#include "MprisAdaptors.h"

#include "common/Diagnostics.h"
#include "common/DisplayText.h"
#include "model/Store.h"
#include "playback/PlaybackController.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace tunara {

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString playlistsInterface = QStringLiteral("org.mpris.MediaPlayer2.Playlists");

} // namespace

MprisService::MprisService(Store& store, Scheduler& scheduler, QDBusConnection connection)
    : store_(store)
    , scheduler_(scheduler)
    , connection_(std::move(connection))
    , artworkFiles_(artworkDirectory())
{
    mpris::registerTypes();
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    playlistsAdaptor_ = new MprisPlaylistsAdaptor(*this);

    sentPlaybackStatus_ = playbackStatus();
    sentMetadata_ = metadata();
    connect(&store_.player(), &PlaybackController::nowPlayingChanged, this, &MprisService::followPlayer);
    connect(&artworkFiles_, &ArtworkFiles::written, this, &MprisService::artworkWritten);
    // Every change, also one made in the desktop's mixer, reaches the
    // desktop's media widgets.
    connect(&store_, &Store::volumeChanged, this,
            [this] { sendPropertiesChanged(playerInterface, {{QStringLiteral("Volume"), volume()}}); });
    // Stations added, removed or moved: the count tells clients to read the
    // list again, whatever the size of the change; stations renamed in place
    // are announced one by one.
    const StationList& stations = store_.stationList();
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&stations, signal, this, [this] { schedulePlaylistChanges(true); });
    connect(&stations, &QAbstractItemModel::rowsMoved, this, [this] { schedulePlaylistChanges(true); });
    connect(&stations, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(StationList::NameRole))
                    stationsRenamed(first.row(), last.row());
            });
    connect(&store_, &Store::selectedStationChanged, this, [this] { schedulePlaylistChanges(false); });

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
    // Removes the files of stations no longer in the list.
    listChanged_ = namesChanged_ = true;
    publishPlaylistChanges();
}

std::unique_ptr<MprisService> MprisService::publish(Store& store, Scheduler& scheduler, const QDBusConnection& bus)
{
    if (bus.isConnected())
        return std::make_unique<MprisService>(store, scheduler, bus);
    writeDiagnosticLine(QStringLiteral("No session bus, desktop media controls unavailable: ")
                        + bus.lastError().message());
    return nullptr;
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
    const std::optional<NowPlaying>& shown = store_.player().nowPlaying();
    if (!shown || showsStopped_)
        return QStringLiteral("Stopped");
    return shown->playing ? QStringLiteral("Playing") : QStringLiteral("Paused");
}

QVariantMap MprisService::metadata()
{
    const std::optional<NowPlaying>& shown = store_.player().nowPlaying();
    if (!shown)
        return {};
    const std::optional<Station> selected = store_.selectedStation();
    const QUrl logo = logos_ && selected ? logos_->file(selected->logo) : QUrl();
    return mpris::metadata(*shown, mpris::trackPath(trackNumber_), logo.isEmpty() ? artworkFiles_.url(shown->station) : logo);
}

void MprisService::setLogos(StationLogos* logos)
{
    logos_ = logos;
    connect(logos_, &StationLogos::ready, this, [this](const QUrl& logo) {
        const std::optional<Station> selected = store_.selectedStation();
        if (selected && selected->logo == logo)
            publishPlayerChanges();
    });
}

QString MprisService::iconOf(const QString& stationName)
{
    return artworkFiles_.url(stationName).toString(QUrl::FullyEncoded);
}

uint MprisService::playlistCount() const
{
    return uint(store_.stationList().size());
}

mpris::Playlist MprisService::playlistAt(int row)
{
    const Station& station = store_.stationList().at(row);
    const QString name = cleanDisplayText(station.name);
    return {mpris::playlistPath(station.id), mpris::busSafeText(name), iconOf(name)};
}

QList<mpris::Playlist> MprisService::playlists(uint index, uint maxCount, bool reverseOrder)
{
    const qsizetype count = store_.stationList().size();
    if (index >= uint(count))
        return {};
    const qsizetype size = std::min<qsizetype>(maxCount, count - index);
    QList<mpris::Playlist> page;
    page.reserve(size);
    QStringList undrawn;
    for (qsizetype k = 0; k < size; ++k) {
        const int row = int(reverseOrder ? count - 1 - index - k : index + k);
        page.append(playlistAt(row));
        if (page.last().icon.isEmpty())
            undrawn.append(cleanDisplayText(store_.stationList().at(row).name));
    }
    artworkFiles_.request(undrawn);
    return page;
}

mpris::MaybePlaylist MprisService::activePlaylist()
{
    const auto selected = store_.selectedStation();
    const int row = selected ? store_.stationList().rowOf(selected->id) : -1;
    return row < 0 ? mpris::MaybePlaylist{} : mpris::MaybePlaylist{true, playlistAt(row)};
}

double MprisService::volume() const
{
    return store_.volume();
}

void MprisService::setVolume(double volume)
{
    if (std::isfinite(volume))
        store_.setVolume(std::clamp(volume, 0.0, 1.0));
}

void MprisService::post(std::function<void(Store&)> action)
{
    scheduler_.post([store = QPointer<Store>(&store_), action = std::move(action)] {
        if (store)
            action(*store);
    });
}

void MprisService::play()
{
    post([](Store& store) {
        if (store.playingStatus() != PlayingStatus::playing)
            store.playStation();
    });
}

void MprisService::pause()
{
    post([](Store& store) { store.player().pause(); });
}

void MprisService::playPause()
{
    post([](Store& store) { store.togglePlayPause(); });
}

void MprisService::stop()
{
    post([this](Store& store) {
        store.player().pause();
        if (!store.player().nowPlaying() || showsStopped_)
            return;
        showsStopped_ = true;
        publishPlayerChanges();
    });
}

void MprisService::raise()
{
    scheduler_.post([handler = raiseHandler_] {
        if (handler)
            handler();
    });
}

void MprisService::quit()
{
    scheduler_.post([handler = quitHandler_] {
        if (handler)
            handler();
        else
            QCoreApplication::quit();
    });
}

void MprisService::activatePlaylist(const QDBusObjectPath& playlist, const QDBusMessage& message)
{
    for (const Station& station : store_.stationList().all()) {
        if (mpris::playlistPath(station.id) == playlist) {
            post([id = station.id](Store& store) { store.playStation(id); });
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

void MprisService::followPlayer()
{
    showsStopped_ = false;
    publishPlayerChanges();
}

void MprisService::publishPlayerChanges()
{
    // A new track id for every distinct track; a fresh start after a clear
    // counts as a new track.
    const std::optional<NowPlaying>& shown = store_.player().nowPlaying();
    std::optional<TrackKey> track;
    if (shown) {
        const std::optional<Track>& playing = shown->track;
        track = TrackKey{playing ? playing->title : shown->station, playing ? playing->artist : std::nullopt,
                         shown->station};
    }
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
    if (shown && !sentMetadata_.contains(QStringLiteral("mpris:artUrl")))
        artworkFiles_.request({shown->station});
}

void MprisService::schedulePlaylistChanges(bool listChanged, bool namesChanged)
{
    listChanged_ = listChanged_ || listChanged;
    namesChanged_ = namesChanged_ || namesChanged || listChanged;
    if (playlistChangesPosted_)
        return;
    playlistChangesPosted_ = true;
    scheduler_.post([self = QPointer<MprisService>(this)] {
        if (self && self->playlistChangesPosted_)
            self->publishPlaylistChanges();
    });
}

void MprisService::publishPlaylistChanges()
{
    playlistChangesPosted_ = false;
    QVariantMap changed;
    if (listChanged_)
        changed.insert(QStringLiteral("PlaylistCount"), playlistCount());
    if (namesChanged_) {
        // Files of stations no longer in the list go; the one playing keeps
        // its file even when it is not in the list.
        QSet<QString> kept;
        for (const Station& station : store_.stationList().all())
            kept.insert(cleanDisplayText(station.name));
        if (const auto& shown = store_.player().nowPlaying())
            kept.insert(shown->station);
        artworkFiles_.keepOnly(kept);
    }
    listChanged_ = namesChanged_ = false;
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
        artworkFiles_.request({cleanDisplayText(store_.selectedStation()->name)});
}

void MprisService::stationsRenamed(int first, int last)
{
    QStringList undrawn;
    for (int row = first; row <= last; ++row) {
        const mpris::Playlist playlist = playlistAt(row);
        emit playlistsAdaptor_->PlaylistChanged(playlist);
        if (playlist.icon.isEmpty())
            undrawn.append(cleanDisplayText(store_.stationList().at(row).name));
    }
    artworkFiles_.request(undrawn);
    schedulePlaylistChanges(false, true);
}

void MprisService::artworkWritten(const QString& stationName)
{
    const StationList& stations = store_.stationList();
    for (int row = 0; row < stations.size(); ++row) {
        if (cleanDisplayText(stations.at(row).name) == stationName)
            emit playlistsAdaptor_->PlaylistChanged(playlistAt(row));
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
