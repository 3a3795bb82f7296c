#pragma once

// The one place that words what the player is doing: the tray icon and its
// tooltip, the now-playing header, the play button and what a screen
// reader says of the playing station.

#include "model/Station.h"
#include "playback/PlaybackSession.h"
#include "playback/PlaybackTypes.h"

#include <QString>

#include <optional>

namespace tunara::StatusWording {

// Shown in place of a track before the stream names one.
QString noTrack();
// The track as one line: "Artist · Title", the title alone, or noTrack().
QString trackLine(const std::optional<Track>& track);
// The line under the station's name while nothing plays yet: "Connecting…",
// "Buffering…", "Connection failed"; empty otherwise.
QString progressLine(PlayingStatus status);
// What a screen reader says after the station's name: "playing", …
QString spokenStatus(PlayingStatus status);
// The now-playing header as a screen reader reads it: the title, the
// artist and the station, or the station and what is happening, or the
// failure and its reason.
QString spokenNowPlaying(const QString& station, PlayingStatus status, const std::optional<Track>& track,
                         const QString& failure = {});
// The play button's name: what pressing it does.
QString playButtonName(PlayingStatus status);
// The tray icon's image resource: the playing image only while a station
// actually plays.
QString trayIconPath(PlayingStatus status);
// The tray icon's tooltip under the program's name: the selected station
// and what it is doing or playing, and what the stream is; empty without a
// selection.
QString trayToolTip(const std::optional<Station>& selected, PlayingStatus status,
                    const std::optional<Track>& track, const StreamDetails& details = {}, int sleepMinutes = 0);
// What the stream is, as one line: "MP3 · 128 kbps · 44.1 kHz · stereo",
// with what it has said so far; empty when it has said nothing.
QString streamDetailsLine(const StreamDetails& details);
// "Stops in 25 min" for the sleep timer's minutes left; empty for none.
QString sleepLine(int minutesLeft);
// The tooltip shown for a moment while the wheel changes the volume.
QString volumeToolTip(double volume);

} // namespace tunara::StatusWording
