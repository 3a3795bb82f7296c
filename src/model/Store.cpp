#include "Store.h"

#include "AppSettings.h"
#include "StationLibrary.h"
#include "URLValidation.h"
#include "common/Diagnostics.h"

#include <algorithm>
#include <cmath>

namespace tunara {

Store::Store(PlaybackController& player, std::optional<QUrl> libraryFileURL, std::optional<QUrl> settingsFileURL,
             Scheduler& scheduler)
    : player_(player)
    , scheduler_(scheduler)
    , libraryFileURL_(std::move(libraryFileURL))
    , settingsFileURL_(std::move(settingsFileURL))
{
    // Before any station plays: the first sample already has this volume.
    player_.setVolume(AppSettings::loadVolume(settingsFileURL_));
    qRegisterMetaType<AudioStream>();
    StationLibrary::LoadedLibrary library = StationLibrary::loadStreams(libraryFileURL_);
    streams_ = std::move(library.streams);
    keepFileReason_ = std::move(library.keepFileReason);
    emit streamsChanged();
    connect(&player_, &PlaybackController::statusChanged, this, &Store::playingStatusChanged);
    connect(&player_, &PlaybackController::trackChanged, this, &Store::trackChanged);
    // Every change, one made in the desktop's mixer too, is kept.
    connect(&player_, &PlaybackController::volumeChanged, this, [this] {
        emit volumeChanged();
        saveVolumeSoon();
    });
}

Store::~Store()
{
    saveSettingsNow();
}

void Store::shutDown()
{
    player_.stop();
    setSelectedStream(std::nullopt);
    saveSettingsNow();
}

void Store::save()
{
    if (!keepFileReason_.isEmpty()) {
        writeDiagnosticLine(QStringLiteral("Failed to save streams: ") + keepFileReason_);
        setSaveError(keepFileReason_);
        return;
    }
    setSaveError(StationLibrary::saveStreams(libraryFileURL_, streams_).value_or(QString()));
}

void Store::changeVolume(double step)
{
    // Steps land on whole percents, whatever the mixer left behind.
    setVolume(std::round((volume() + step) * 100.0) / 100.0);
}

void Store::saveSettingsNow()
{
    volumeSave_.reset();
    writePendingVolume();
}

void Store::saveVolumeSoon()
{
    if (!settingsFileURL_)
        return;
    constexpr double settleSeconds = 0.5;
    volumeSavePending_ = true;
    volumeSave_ = scheduler_.startTimer(settleSeconds, [this] { writePendingVolume(); });
}

void Store::writePendingVolume()
{
    if (!volumeSavePending_)
        return;
    volumeSavePending_ = false;
    AppSettings::saveVolume(settingsFileURL_, volume());
}

void Store::setSaveError(const QString& error)
{
    if (saveError_ == error)
        return;
    saveError_ = error;
    emit saveErrorChanged();
}

void Store::setSelectedStream(std::optional<AudioStream> stream)
{
    selectedStream_ = std::move(stream);
    emit selectedStreamChanged();
}

QVariant Store::selectedStreamVariant() const
{
    return selectedStream_ ? QVariant::fromValue(*selectedStream_) : QVariant();
}

int Store::indexOf(const QUuid& id) const
{
    const auto found = std::find_if(streams_.cbegin(), streams_.cend(),
                                    [&](const AudioStream& stream) { return stream.id == id; });
    return found == streams_.cend() ? -1 : static_cast<int>(found - streams_.cbegin());
}

std::optional<std::pair<QString, QUrl>> Store::validatedInput(const QString& name, const QString& urlText)
{
    const QString trimmedName = name.trimmed();
    const QString trimmedURL = urlText.trimmed();
    if (trimmedName.isEmpty() || trimmedURL.isEmpty())
        return std::nullopt;
    if (validateStreamURL(trimmedURL))
        return std::nullopt;
    const std::optional<QUrl> url = parseURL(trimmedURL);
    if (!url)
        return std::nullopt;
    return std::make_pair(trimmedName, *url);
}

std::optional<QUuid> Store::addStream(const QString& name, const QString& urlText)
{
    const auto input = validatedInput(name, urlText);
    if (!input)
        return std::nullopt;
    const AudioStream stream = AudioStream::make(input->first, input->second);
    streams_.append(stream);
    emit streamsChanged();
    save();
    return stream.id;
}

QList<QUuid> Store::addStreams(const QList<std::pair<QString, QString>>& namesAndURLTexts)
{
    QSet<QUrl> known; // a file may list thousands
    for (const AudioStream& stream : std::as_const(streams_))
        known.insert(stream.url);
    QList<QUuid> added;
    for (const auto& [name, urlText] : namesAndURLTexts) {
        const auto input = validatedInput(name, urlText);
        if (!input || known.contains(input->second))
            continue;
        known.insert(input->second);
        const AudioStream stream = AudioStream::make(input->first, input->second);
        streams_.append(stream);
        added.append(stream.id);
    }
    if (added.isEmpty())
        return added;
    emit streamsChanged();
    save();
    return added;
}

bool Store::containsStreamURL(const QUrl& url) const
{
    return std::any_of(streams_.cbegin(), streams_.cend(), [&](const AudioStream& stream) { return stream.url == url; });
}

void Store::stopAndDeselect()
{
    player_.stop();
    setSelectedStream(std::nullopt);
}

bool Store::updateStream(const QUuid& id, const QString& name, const QString& urlText)
{
    const auto input = validatedInput(name, urlText);
    if (!input)
        return false;
    const int index = indexOf(id);
    if (index < 0)
        return false;

    const bool isSelected = selectedStream_ && selectedStream_->id == id;
    if (isSelected && streams_[index].url != input->second)
        stopAndDeselect();

    AudioStream updated = streams_[index];
    updated.name = input->first;
    updated.url = input->second;
    streams_[index] = updated;
    emit streamsChanged();

    if (selectedStream_ && selectedStream_->id == id)
        setSelectedStream(updated);
    save();
    return true;
}

void Store::deleteStreams(const QSet<QUuid>& ids)
{
    for (const QUuid& id : ids) {
        if (selectedStream_ && selectedStream_->id == id)
            stopAndDeselect();
        streams_.removeIf([&](const AudioStream& stream) { return stream.id == id; });
        emit streamsChanged();
    }
    save();
}

void Store::moveStreams(const QList<int>& sourcePositions, int destination)
{
    // The moved stations keep their relative order and come to stand right
    // before the station that stood at the destination before the move.
    // Positions outside the list are ignored.
    QList<int> sources;
    for (int position : sourcePositions) {
        if (position >= 0 && position < streams_.size() && !sources.contains(position))
            sources.append(position);
    }
    std::sort(sources.begin(), sources.end());
    destination = std::clamp(destination, 0, static_cast<int>(streams_.size()));

    QList<AudioStream> moved;
    for (int position : sources)
        moved.append(streams_[position]);
    const auto movedBeforeDestination = std::count_if(sources.cbegin(), sources.cend(),
                                                      [&](int position) { return position < destination; });
    for (auto it = sources.crbegin(); it != sources.crend(); ++it)
        streams_.removeAt(*it);
    const qsizetype insertAt = destination - movedBeforeDestination;
    for (qsizetype i = 0; i < moved.size(); ++i)
        streams_.insert(insertAt + i, moved[i]);
    emit streamsChanged();
    save();
}

void Store::playStream(std::optional<QUuid> id)
{
    const std::optional<QUuid> target = id ? id : (selectedStream_ ? std::optional(selectedStream_->id) : std::nullopt);
    if (!target)
        return;

    if (selectedStream_ && selectedStream_->id == *target) {
        switch (playingStatus()) {
        case PlayingStatus::loading:
        case PlayingStatus::buffering:
        case PlayingStatus::playing:
            return;
        case PlayingStatus::paused:
            if (player_.canResume()) {
                player_.resume();
                return;
            }
            break;
        case PlayingStatus::error:
            break;
        }
    }

    const int index = indexOf(*target);
    if (index < 0)
        return;
    const AudioStream stream = streams_[index];
    setSelectedStream(stream);
    player_.play(stream.url, stream.name, true);
}

void Store::togglePlayPause()
{
    switch (playingStatus()) {
    case PlayingStatus::loading:
    case PlayingStatus::buffering:
    case PlayingStatus::playing:
        player_.pause();
        break;
    case PlayingStatus::error:
        if (selectedStream_)
            playStream();
        break;
    case PlayingStatus::paused:
        playStream();
        break;
    }
}

} // namespace tunara
