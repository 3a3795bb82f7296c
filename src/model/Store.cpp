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
    resume_ = AppSettings::loadResume(settingsFileURL_);
    desktopOptions_ = AppSettings::loadDesktopOptions(settingsFileURL_);
    qRegisterMetaType<Station>();
    StationLibrary::LoadedLibrary library = StationLibrary::loadStations(libraryFileURL_);
    stations_.append(library.stations);
    keepFileReason_ = std::move(library.keepFileReason);
    connect(&player_, &PlaybackController::statusChanged, this, &Store::playingStatusChanged);
    connect(&player_, &PlaybackController::trackChanged, this, &Store::trackChanged);
    // Every change, one made in the desktop's mixer too, is kept.
    connect(&player_, &PlaybackController::volumeChanged, this, [this] {
        emit volumeChanged();
        volumeSavePending_ = true;
        saveSettingsSoon();
    });
}

Store::~Store()
{
    saveSettingsNow();
}

void Store::shutDown()
{
    player_.stop();
    setSelectedStation(std::nullopt);
    saveSettingsNow();
}

void Store::save()
{
    if (!keepFileReason_.isEmpty()) {
        writeDiagnosticLine(QStringLiteral("Failed to save streams: ") + keepFileReason_);
        setSaveError(keepFileReason_);
        return;
    }
    setSaveError(StationLibrary::saveStations(libraryFileURL_, stations_.all()).value_or(QString()));
}

void Store::changeVolume(double step)
{
    // Steps land on whole percents, whatever the mixer left behind.
    setVolume(std::round((volume() + step) * 100.0) / 100.0);
}

void Store::saveSettingsNow()
{
    settingsSave_.reset();
    writePendingSettings();
}

void Store::saveSettingsSoon()
{
    if (!settingsFileURL_)
        return;
    constexpr double settleSeconds = 0.5;
    settingsSave_ = scheduler_.startTimer(settleSeconds, [this] { writePendingSettings(); });
}

void Store::writePendingSettings()
{
    QJsonObject members = resumeSavePending_ ? AppSettings::resumeMembers(resume_) : QJsonObject();
    if (volumeSavePending_)
        members.insert(QStringLiteral("volume"), volume());
    volumeSavePending_ = resumeSavePending_ = false;
    if (!members.isEmpty() && settingsFileURL_)
        AppSettings::save(settingsFileURL_, members);
}

void Store::setSaveError(const QString& error)
{
    if (saveError_ == error)
        return;
    saveError_ = error;
    emit saveErrorChanged();
}

std::optional<Station> Store::selectedStation() const
{
    const Station* selected = selectedId_ ? stations_.find(*selectedId_) : nullptr;
    return selected ? std::optional(*selected) : std::nullopt;
}

void Store::setSelectedStation(std::optional<Station> station)
{
    selectedId_ = station ? std::optional(station->id) : std::nullopt;
    emit selectedStationChanged();
}

QVariant Store::selectedStationVariant() const
{
    const auto selected = selectedStation();
    return selected ? QVariant::fromValue(*selected) : QVariant();
}

void Store::listChanged()
{
    emit stationsChanged();
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

std::optional<QUuid> Store::addStation(const QString& name, const QString& urlText)
{
    const auto input = validatedInput(name, urlText);
    if (!input)
        return std::nullopt;
    const Station station = Station::make(input->first, input->second);
    stations_.append({station});
    listChanged();
    return station.id;
}

QList<QUuid> Store::addStations(const QList<std::pair<QString, QString>>& namesAndURLTexts)
{
    QSet<QUrl> known; // a file may list thousands
    for (const Station& station : stations_.all())
        known.insert(station.url);
    QList<Station> added;
    for (const auto& [name, urlText] : namesAndURLTexts) {
        const auto input = validatedInput(name, urlText);
        if (!input || known.contains(input->second))
            continue;
        known.insert(input->second);
        added.append(Station::make(input->first, input->second));
    }
    QList<QUuid> ids;
    for (const Station& station : std::as_const(added))
        ids.append(station.id);
    if (added.isEmpty())
        return ids;
    stations_.append(added);
    listChanged();
    return ids;
}

bool Store::containsStationURL(const QUrl& url) const
{
    const QList<Station>& all = stations_.all();
    return std::any_of(all.cbegin(), all.cend(), [&](const Station& station) { return station.url == url; });
}

void Store::stopAndDeselect()
{
    player_.stop();
    setSelectedStation(std::nullopt);
}

bool Store::updateStation(const QUuid& id, const QString& name, const QString& urlText)
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
    Station updated = stations_.at(row);
    updated.name = input->first;
    updated.url = input->second;
    stations_.replace(row, updated);
    listChanged();
    if (isSelected(id))
        emit selectedStationChanged();
    return true;
}

bool Store::setStationLogo(const QUuid& id, const QUrl& logo)
{
    const int row = stations_.rowOf(id);
    if (row < 0)
        return false;
    if (stations_.at(row).logo == logo)
        return true;
    Station updated = stations_.at(row);
    updated.logo = logo;
    stations_.replace(row, updated);
    listChanged();
    if (isSelected(id))
        emit selectedStationChanged();
    return true;
}

void Store::deleteStations(const QSet<QUuid>& ids)
{
    for (const QUuid& id : ids) {
        if (isSelected(id))
            stopAndDeselect();
        // A file may list one id twice: every station with it goes.
        for (int row = stations_.rowOf(id); row >= 0; row = stations_.rowOf(id))
            stations_.remove(row);
        emit stationsChanged();
    }
    save();
}

void Store::moveStations(const QList<int>& sourcePositions, int destination)
{
    stations_.move(sourcePositions, destination);
    listChanged();
}

void Store::playStation(std::optional<QUuid> id)
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

    const Station* station = stations_.find(*target);
    if (!station)
        return;
    QObject::disconnect(resumeWait_); // the user chose before the network came
    setSelectedStation(*station);
    player_.play(station->url, station->name, true);
    if (resume_.enabled && resume_.lastStation != station->id) {
        resume_.lastStation = station->id;
        resumeSavePending_ = true;
        saveSettingsSoon();
    }
}

void Store::setPlaysLastStationAtStart(bool plays)
{
    if (resume_.enabled == plays)
        return;
    resume_.enabled = plays;
    if (plays && selectedId_)
        resume_.lastStation = selectedId_;
    resumeSavePending_ = true;
    saveSettingsNow();
    emit playsLastStationAtStartChanged();
}

void Store::setDesktopOptions(const AppSettings::DesktopOptions& options)
{
    if (desktopOptions_ == options)
        return;
    desktopOptions_ = options;
    AppSettings::save(settingsFileURL_, AppSettings::desktopMembers(options));
    emit desktopOptionsChanged();
}

void Store::resumeAtStart()
{
    if (!resume_.enabled || !resume_.lastStation || !stations_.find(*resume_.lastStation))
        return;
    // A login before the network is up would end the first try in a final
    // "host not found": wait for the monitor's first report of a network.
    const QUuid id = *resume_.lastStation;
    if (player_.hasReportedNetwork()) {
        playStation(id);
        return;
    }
    resumeWait_ = connect(&player_, &PlaybackController::networkReported, this, [this, id](bool available) {
        if (!available)
            return;
        QObject::disconnect(resumeWait_);
        playStation(id);
    });
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
            playStation();
        break;
    case PlayingStatus::paused:
        playStation();
        break;
    }
}

} // namespace tunara
