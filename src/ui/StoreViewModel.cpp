#include "StoreViewModel.h"

#include "model/Store.h"
#include "model/URLValidation.h"

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
    connect(&store_, &Store::parsedMetadataChanged, this, &StoreViewModel::metadataChanged);
    connect(&store_, &Store::saveErrorChanged, this, &StoreViewModel::saveFailureMessageChanged);
}

bool StoreViewModel::hasSelection() const
{
    return store_.selectedStream().has_value();
}

QString StoreViewModel::selectedName() const
{
    return store_.selectedStream() ? store_.selectedStream()->name : QString();
}

QString StoreViewModel::status() const
{
    return QString::fromLatin1(toString(store_.playingStatus()));
}

QString StoreViewModel::title() const
{
    return store_.parsedMetadata().title;
}

QString StoreViewModel::artist() const
{
    return store_.parsedMetadata().artistText();
}

bool StoreViewModel::hasArtist() const
{
    return store_.parsedMetadata().hasArtist();
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

bool StoreViewModel::addStream(const QString& name, const QString& urlText)
{
    return store_.addStream(name, urlText).has_value();
}

bool StoreViewModel::updateStream(const QString& stationId, const QString& name, const QString& urlText)
{
    const auto id = parseId(stationId);
    return id && store_.updateStream(*id, name, urlText);
}

void StoreViewModel::deleteStream(const QString& stationId)
{
    if (const auto id = parseId(stationId))
        store_.deleteStreams({*id});
}

void StoreViewModel::moveStream(int from, int destination)
{
    const int count = static_cast<int>(store_.streams().size());
    if (from < 0 || from >= count || destination < 0 || destination > count)
        return;
    store_.moveStreams({from}, destination);
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

QVariant StoreViewModel::stationName(const QString& stationId) const
{
    const AudioStream* station = findStation(stationId);
    return station ? QVariant(station->name) : QVariant();
}

QVariant StoreViewModel::stationUrlText(const QString& stationId) const
{
    const AudioStream* station = findStation(stationId);
    return station ? QVariant(station->urlText()) : QVariant();
}

QString StoreViewModel::deleteConfirmationMessage(const QString& stationId) const
{
    const AudioStream* station = findStation(stationId);
    if (!station)
        return {};
    return QStringLiteral("Are you sure you want to delete \"") + station->name + QStringLiteral("\"?");
}

QString StoreViewModel::urlValidationMessage(const QString& urlText) const
{
    const auto error = validateStreamURL(urlText);
    return error ? rawValue(*error) : QString();
}

QString StoreViewModel::invalidFormatMessage() const
{
    return rawValue(URLValidationError::invalidFormat);
}

} // namespace tunara
