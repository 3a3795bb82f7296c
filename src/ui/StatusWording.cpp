#include "StatusWording.h"

#include "common/DisplayText.h"

namespace tunara::StatusWording {

QString noTrack()
{
    return QStringLiteral("No track info");
}

QString trackLine(const std::optional<Track>& track)
{
    if (!track)
        return noTrack();
    return track->artist ? joinIsolated({*track->artist, track->title}, QStringLiteral(" · ")) : track->title;
}

QString progressLine(PlayingStatus status)
{
    switch (status) {
    case PlayingStatus::loading: return QStringLiteral("Connecting…");
    case PlayingStatus::buffering: return QStringLiteral("Buffering…");
    case PlayingStatus::error: return QStringLiteral("Connection failed");
    case PlayingStatus::playing:
    case PlayingStatus::paused: break;
    }
    return {};
}

QString spokenStatus(PlayingStatus status)
{
    switch (status) {
    case PlayingStatus::loading: return QStringLiteral("connecting");
    case PlayingStatus::buffering: return QStringLiteral("buffering");
    case PlayingStatus::playing: return QStringLiteral("playing");
    case PlayingStatus::error: return QStringLiteral("connection failed");
    case PlayingStatus::paused: return QStringLiteral("paused");
    }
    return {};
}

QString spokenNowPlaying(const QString& station, PlayingStatus status, const std::optional<Track>& track,
                         const QString& failure)
{
    switch (status) {
    case PlayingStatus::error: return failure.isEmpty() ? progressLine(status) : progressLine(status) + QStringLiteral(". ") + failure;
    case PlayingStatus::loading:
    case PlayingStatus::buffering: return station + QStringLiteral(", ") + spokenStatus(status);
    case PlayingStatus::playing:
    case PlayingStatus::paused: break;
    }
    const QString title = track ? track->title : noTrack();
    const QString artist = track && track->artist ? QStringLiteral(", ") + *track->artist : QString();
    return title + artist + QStringLiteral(", ") + station;
}

QString playButtonName(PlayingStatus status)
{
    switch (status) {
    case PlayingStatus::loading: return QStringLiteral("Connecting");
    case PlayingStatus::buffering:
    case PlayingStatus::playing: return QStringLiteral("Pause");
    case PlayingStatus::error: return QStringLiteral("Retry");
    case PlayingStatus::paused: return QStringLiteral("Play");
    }
    return {};
}

QString trayIconPath(PlayingStatus status)
{
    // The image names the program has always shipped.
    return status == PlayingStatus::playing ? QStringLiteral(":/tunara/icons/MenuBarIconPlaying.svg")
                                            : QStringLiteral(":/tunara/icons/MenuBarIcon.svg");
}

QString trayToolTip(const std::optional<Station>& selected, PlayingStatus status,
                    const std::optional<Track>& track)
{
    if (!selected)
        return {};
    const QString progress = progressLine(status);
    return cleanDisplayText(selected->name) + QLatin1Char('\n') + (progress.isEmpty() ? trackLine(track) : progress);
}

QString volumeToolTip(double volume)
{
    return QStringLiteral("Volume %1 %").arg(qRound(volume * 100.0));
}

} // namespace tunara::StatusWording
