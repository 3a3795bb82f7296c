#pragma once

// How the stream appears in the sound server's mixer: the application's
// name, icon and role, the station's name, and, while a title plays,
// "Station — Title". PulseAudio's sink names the stream after the title
// tags it receives, so those tags reach it rewritten. The player reads the
// title before that, as the stream sent it.

#include "GLibHeaders.h"

#include <QString>

namespace tunara::gst {

inline constexpr const char* applicationName = "Tunara";
inline constexpr const char* applicationIconName = "tunara";
inline constexpr const char* applicationId = "tunara"; // the desktop file's id

// The sink's stream properties for a station (a new structure).
GstStructure* mixerStreamProperties(const QString& stationName);

QString mixerName(const QString& stationName, const QString& title);

// A copy of the tags with the title as the mixer shows it, or null when
// they hold no title (or there is no station name).
GstTagList* tagsForMixer(const GstTagList* tags, const QString& stationName);

} // namespace tunara::gst
