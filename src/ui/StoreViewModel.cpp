#include "StoreViewModel.h"

#include "model/Store.h"
#include "model/logos/StationLogos.h"
#include "StatusWording.h"
#include "common/DisplayText.h"

#include <QCoreApplication>

namespace tunara {

namespace {

std::optional<QUuid> parseId(const QString& stationId)
{
    const QUuid id = QUuid::fromString(stationId);
    return id.isNull() ? std::nullopt : std::optional<QUuid>(id);
}

} // namespace

StoreViewModel::StoreViewModel(Store& store, QObject* parent)
    : QObject(parent)
    , store_(store)
    , stations_(store)
{
    connect(&store_, &Store::selectedStationChanged, this, &StoreViewModel::selectionChanged);
    connect(&store_, &Store::playingStatusChanged, this, &StoreViewModel::statusChanged);
    connect(&store_, &Store::trackChanged, this, &StoreViewModel::metadataChanged);
    connect(&store_, &Store::saveErrorChanged, this, &StoreViewModel::saveFailureMessageChanged);
    connect(&store_, &Store::volumeChanged, this, &StoreViewModel::volumeChanged);
    connect(&store_.player(), &PlaybackController::streamDetailsChanged, this, &StoreViewModel::streamDetailsChanged);
    connect(&store_.sleepTimer(), &SleepTimer::changed, this, &StoreViewModel::sleepTimerChanged);
    for (const auto signal : {&StoreViewModel::selectionChanged, &StoreViewModel::statusChanged,
                              &StoreViewModel::metadataChanged})
        connect(this, signal, this, &StoreViewModel::nowPlayingTextChanged);
}

bool StoreViewModel::hasSelection() const
{
    return store_.selectedStation().has_value();
}

QString StoreViewModel::selectedName() const
{
    return store_.selectedStation() ? cleanDisplayText(store_.selectedStation()->name) : QString();
}

QString StoreViewModel::selectedLogo() const
{
    const std::optional<Station> selected = store_.selectedStation();
    return logos_ && selected ? logos_->file(selected->logo).toString() : QString();
}

void StoreViewModel::setLogos(StationLogos* logos)
{
    logos_ = logos;
    stations_.setLogos(logos);
    connect(logos, &StationLogos::ready, this, [this](const QUrl& logo) {
        if (const std::optional<Station> selected = store_.selectedStation(); selected && selected->logo == logo)
            emit selectionChanged();
    });
}

StoreViewModel::Status StoreViewModel::status() const
{
    switch (store_.playingStatus()) {
    case PlayingStatus::loading: return Status::Connecting;
    case PlayingStatus::buffering: return Status::Buffering;
    case PlayingStatus::playing: return Status::Playing;
    case PlayingStatus::error: return Status::Failed;
    case PlayingStatus::paused: break;
    }
    return Status::Paused;
}

QString StoreViewModel::progressText() const
{
    return StatusWording::progressLine(store_.playingStatus());
}

QString StoreViewModel::failureText() const
{
    // Kept in English for the log; shown in the user's language.
    return QCoreApplication::translate("Failure", store_.player().failureMessage().toUtf8().constData());
}

QString StoreViewModel::playButtonName() const
{
    return StatusWording::playButtonName(store_.playingStatus());
}

QString StoreViewModel::spokenNowPlaying() const
{
    return StatusWording::spokenNowPlaying(selectedName(), store_.playingStatus(), store_.track(), failureText());
}

QString StoreViewModel::title() const
{
    return store_.track() ? store_.track()->title : StatusWording::noTrack();
}

QString StoreViewModel::artist() const
{
    return store_.track() ? store_.track()->artist.value_or(QString()) : QString();
}

bool StoreViewModel::hasArtist() const
{
    return store_.track() && store_.track()->artist;
}

QString StoreViewModel::saveFailureMessage() const
{
    if (store_.saveError().isEmpty())
        return {};
    return tr("Could not save the station list: %1").arg(store_.saveError());
}

void StoreViewModel::playStation(const QString& stationId)
{
    if (const auto id = parseId(stationId))
        store_.playStation(*id);
}

void StoreViewModel::playStationAt(int index)
{
    if (index >= 0 && index < store_.stations().size())
        store_.playStation(store_.stations().at(index).id);
}

void StoreViewModel::togglePlayPause()
{
    store_.togglePlayPause();
}

int StoreViewModel::volumePercent() const
{
    return qRound(store_.volume() * 100.0);
}

QString StoreViewModel::streamDetailsText() const
{
    return StatusWording::streamDetailsLine(store_.player().streamDetails());
}

QString StoreViewModel::sleepText() const
{
    return StatusWording::sleepLine(store_.sleepTimer().remainingMinutes());
}

void StoreViewModel::startSleepTimer(int minutes)
{
    store_.sleepTimer().start(minutes * 60.0);
}

void StoreViewModel::cancelSleepTimer()
{
    store_.sleepTimer().cancel();
}

QString StoreViewModel::volumeText() const
{
    return StatusWording::volumeToolTip(store_.volume());
}

void StoreViewModel::changeVolume(int steps)
{
    store_.changeVolume(steps * Store::volumeStep);
}

StationEditorViewModel* StoreViewModel::makeEditor(const QString& stationId, const QString& presetURL, QObject* owner)
{
    // An id that is not one (and not empty) edits nothing: the sheet shows
    // empty fields and the Store refuses the save.
    std::optional<QUuid> id;
    if (!stationId.isEmpty())
        id = parseId(stationId).value_or(QUuid());
    auto* editor = new StationEditorViewModel(store_, id, presetURL, logos_, owner);
    // The preview follows its picture as it is made.
    if (logos_)
        connect(logos_, &StationLogos::ready, editor, &StationEditorViewModel::logoChanged);
    return editor;
}

} // namespace tunara
