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
    stations_.append(library.streams);
    keepFileReason_ = std::move(library.keepFileReason);
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
    setSaveError(StationLibrary::saveStreams(libraryFileURL_, stations_.all()).value_or(QString()));
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

std::optional<AudioStream> Store::selectedStream() const
{
    const AudioStream* selected = selectedId_ ? stations_.find(*selectedId_) : nullptr;
    return selected ? std::optional(*selected) : std::nullopt;
}

void Store::setSelectedStream(std::optional<AudioStream> stream)
{
    selectedId_ = stream ? std::optional(stream->id) : std::nullopt;
    emit selectedStreamChanged();
}

QVariant Store::selectedStreamVariant() const
{
    const auto selected = selectedStream();
    return selected ? QVariant::fromValue(*selected) : QVariant();
}

void Store::listChanged()
{
    emit streamsChanged();
    save();
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
    stations_.append({stream});
    listChanged();
    return stream.id;
}

QList<QUuid> Store::addStreams(const QList<std::pair<QString, QString>>& namesAndURLTexts)
{
    QSet<QUrl> known; // a file may list thousands
    for (const AudioStream& stream : stations_.all())
        known.insert(stream.url);
    QList<AudioStream> added;
    for (const auto& [name, urlText] : namesAndURLTexts) {
        const auto input = validatedInput(name, urlText);
        if (!input || known.contains(input->second))
            continue;
        known.insert(input->second);
        added.append(AudioStream::make(input->first, input->second));
    }
    QList<QUuid> ids;
    for (const AudioStream& stream : std::as_const(added))
        ids.append(stream.id);
    if (added.isEmpty())
        return ids;
    stations_.append(added);
    listChanged();
    return ids;
}

bool Store::containsStreamURL(const QUrl& url) const
{
    const QList<AudioStream>& all = stations_.all();
    return std::any_of(all.cbegin(), all.cend(), [&](const AudioStream& stream) { return stream.url == url; });
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
    const int row = stations_.rowOf(id);
    if (row < 0)
        return false;
    // A new URL is another stream: the old one stops.
    if (isSelected(id) && stations_.at(row).url != input->second)
        stopAndDeselect();
    AudioStream updated = stations_.at(row);
    updated.name = input->first;
    updated.url = input->second;
    stations_.replace(row, updated);
    listChanged();
    if (isSelected(id))
        emit selectedStreamChanged();
    return true;
}

void Store::deleteStreams(const QSet<QUuid>& ids)
{
    for (const QUuid& id : ids) {
        if (isSelected(id))
            stopAndDeselect();
        // A file may list one id twice: every station with it goes.
        for (int row = stations_.rowOf(id); row >= 0; row = stations_.rowOf(id))
            stations_.remove(row);
        emit streamsChanged();
    }
    save();
}

void Store::moveStreams(const QList<int>& sourcePositions, int destination)
{
    stations_.move(sourcePositions, destination);
    listChanged();
}

void Store::playStream(std::optional<QUuid> id)
{
    const std::optional<QUuid> target = id ? id : selectedId_;
    if (!target)
        return;

    if (isSelected(*target)) {
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

    const AudioStream* stream = stations_.find(*target);
    if (!stream)
        return;
    setSelectedStream(*stream);
    player_.play(stream->url, stream->name, true);
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
        if (selectedId_)
            playStream();
        break;
    case PlayingStatus::paused:
        playStream();
        break;
    }
}

} // namespace tunara
