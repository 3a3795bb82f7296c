#include "StatusWording.h"

#include "common/DisplayText.h"

#include <QCoreApplication>
#include <QLocale>

namespace tunara::StatusWording {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(StatusWording)
};

} // namespace

QString noTrack()
{
    return Texts::tr("No track info");
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
    case PlayingStatus::loading: return Texts::tr("Connecting…");
    case PlayingStatus::buffering: return Texts::tr("Buffering…");
    case PlayingStatus::error: return Texts::tr("Connection failed");
    case PlayingStatus::playing:
    case PlayingStatus::paused: break;
    }
    return {};
}

QString spokenStatus(PlayingStatus status)
{
    switch (status) {
    case PlayingStatus::loading: return Texts::tr("connecting");
    case PlayingStatus::buffering: return Texts::tr("buffering");
    case PlayingStatus::playing: return Texts::tr("playing");
    case PlayingStatus::error: return Texts::tr("connection failed");
    case PlayingStatus::paused: return Texts::tr("paused");
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
    case PlayingStatus::loading: return Texts::tr("Connecting");
    case PlayingStatus::buffering:
    case PlayingStatus::playing: return Texts::tr("Pause");
    case PlayingStatus::error: return Texts::tr("Retry");
    case PlayingStatus::paused: return Texts::tr("Play");
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
                    const std::optional<Track>& track, const StreamDetails& details, int sleepMinutes)
{
    if (!selected)
        return {};
    const QString progress = progressLine(status);
    QStringList lines{cleanDisplayText(selected->name), progress.isEmpty() ? trackLine(track) : progress};
    if (progress.isEmpty())
        lines << streamDetailsLine(details);
    lines << sleepLine(sleepMinutes);
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

QString streamDetailsLine(const StreamDetails& details)
{
    QStringList parts;
    if (!details.codec.isEmpty())
        parts << details.codec;
    if (details.bitrate > 0)
        parts << Texts::tr("%1 kbps").arg(qRound(details.bitrate / 1000.0));
    if (details.sampleRate > 0)
        parts << Texts::tr("%1 kHz").arg(QLocale().toString(details.sampleRate / 1000.0, 'g', 4));
    if (details.channels == 1)
        parts << Texts::tr("mono");
    else if (details.channels == 2)
        parts << Texts::tr("stereo");
    else if (details.channels > 2)
        parts << Texts::tr("%n channels", nullptr, details.channels);
    return parts.join(QStringLiteral(" · "));
}

QString sleepLine(int minutesLeft)
{
    return minutesLeft > 0 ? Texts::tr("Stops in %n min", nullptr, minutesLeft) : QString();
}

QString volumeToolTip(double volume)
{
    return Texts::tr("Volume %1 %").arg(qRound(volume * 100.0));
}

} // namespace tunara::StatusWording
