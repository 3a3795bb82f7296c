#include "StoreViewModel.h"

#include "model/Store.h"
#include "common/DisplayText.h"

#include <QMetaEnum>

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
    connect(&store_, &Store::selectedStreamChanged, this, &StoreViewModel::selectionChanged);
    connect(&store_, &Store::playingStatusChanged, this, &StoreViewModel::statusChanged);
    connect(&store_, &Store::trackChanged, this, &StoreViewModel::metadataChanged);
    connect(&store_, &Store::saveErrorChanged, this, &StoreViewModel::saveFailureMessageChanged);
    connect(&store_, &Store::volumeChanged, this, &StoreViewModel::volumeChanged);
}

bool StoreViewModel::hasSelection() const
{
    return store_.selectedStream().has_value();
}

QString StoreViewModel::selectedName() const
{
    return store_.selectedStream() ? cleanDisplayText(store_.selectedStream()->name) : QString();
}

QString StoreViewModel::status() const
{
    return QString::fromLatin1(QMetaEnum::fromType<PlayingStatus>().valueToKey(int(store_.playingStatus())));
}

QString StoreViewModel::title() const
{
    return store_.track() ? store_.track()->title : QStringLiteral("No track info");
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
    return QStringLiteral("Could not save the station list: ") + store_.saveError();
}

void StoreViewModel::playStream(const QString& stationId)
{
    if (const auto id = parseId(stationId))
        store_.playStream(*id);
}

void StoreViewModel::playStreamAt(int index)
{
    if (index >= 0 && index < store_.streams().size())
        store_.playStream(store_.streams().at(index).id);
}

void StoreViewModel::togglePlayPause()
{
    store_.togglePlayPause();
}

int StoreViewModel::volumePercent() const
{
    return qRound(store_.volume() * 100.0);
}

void StoreViewModel::changeVolume(int steps)
{
    store_.changeVolume(steps * Store::volumeStep);
}

void StoreViewModel::deleteStream(const QString& stationId)
{
    if (const auto id = parseId(stationId))
        store_.deleteStreams({*id});
}

int StoreViewModel::moveStream(int from, int destination)
{
    const int count = static_cast<int>(store_.streams().size());
    if (from < 0 || from >= count || destination < 0 || destination > count || destination == from
        || destination == from + 1)
        return -1;
    store_.moveStreams({from}, destination);
    return destination > from ? destination - 1 : destination;
}

StationEditorViewModel* StoreViewModel::makeEditor(const QString& stationId, const QString& presetURL, QObject* owner)
{
    // An id that is not one (and not empty) edits nothing: the sheet shows
    // empty fields and the Store refuses the save.
    std::optional<QUuid> id;
    if (!stationId.isEmpty())
        id = parseId(stationId).value_or(QUuid());
    return new StationEditorViewModel(store_, id, presetURL, owner);
}

const AudioStream* StoreViewModel::findStation(const QString& stationId) const
{
    const auto id = parseId(stationId);
    if (!id)
        return nullptr;
    for (const AudioStream& stream : store_.streams()) {
        if (stream.id == *id)
            return &stream;
    }
    return nullptr;
}

QString StoreViewModel::deleteConfirmationMessage(const QString& stationId) const
{
    const AudioStream* station = findStation(stationId);
    if (!station)
        return {};
    return QStringLiteral("Are you sure you want to delete \"") + cleanDisplayText(station->name)
           + QStringLiteral("\"?");
}

} // namespace tunara
