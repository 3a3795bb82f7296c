#pragma once

#include "model/AudioStream.h"
#include "playback/PlaybackTypes.h"

#include <QString>

#include <optional>

namespace tunara {

// The tray icon's image resource for a status: the playing image only while
// a station actually plays.
QString menuBarIconName(PlayingStatus status);
QString menuBarIconPath(PlayingStatus status);

// The tray icon's tooltip: the program's name, then the selected station
// and what it is doing or playing.
QString trayToolTip(const std::optional<AudioStream>& selected, PlayingStatus status,
                    const std::optional<Track>& track);

// The tooltip shown for a moment while the wheel changes the volume.
QString volumeToolTip(double volume);

} // namespace tunara
