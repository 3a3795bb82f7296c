#include "TrayPresentation.h"

#include "common/DisplayText.h"

namespace tunara {

QString menuBarIconName(PlayingStatus status)
{
    return status == PlayingStatus::playing ? QStringLiteral("MenuBarIconPlaying") : QStringLiteral("MenuBarIcon");
}

QString menuBarIconPath(PlayingStatus status)
{
    return QStringLiteral(":/tunara/icons/%1.svg").arg(menuBarIconName(status));
}

QString trayToolTip(const std::optional<AudioStream>& selected, PlayingStatus status,
                    const std::optional<Track>& track)
{
    const QString appName = QStringLiteral("Tunara");
    if (!selected)
        return appName;

    QString detail;
    switch (status) {
    case PlayingStatus::loading: detail = QStringLiteral("Connecting…"); break;
    case PlayingStatus::buffering: detail = QStringLiteral("Buffering…"); break;
    case PlayingStatus::error: detail = QStringLiteral("Connection failed"); break;
    case PlayingStatus::playing:
    case PlayingStatus::paused:
        if (!track)
            detail = QStringLiteral("No track info");
        else
            detail = track->artist ? *track->artist + QStringLiteral(" · ") + track->title : track->title;
        break;
    }
    return appName + QLatin1Char('\n') + cleanDisplayText(selected->name) + QLatin1Char('\n') + detail;
}

QString volumeToolTip(double volume)
{
    return QStringLiteral("Tunara — %1 %").arg(qRound(volume * 100.0));
}

} // namespace tunara
