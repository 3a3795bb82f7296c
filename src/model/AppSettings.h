#pragma once

// The player's settings file, $XDG_CONFIG_HOME/tunara/settings.json: one
// JSON object. Today it holds the volume. It is written whole and
// atomically; members it does not know are kept. A missing, unreadable or
// corrupt file means the defaults, never an error shown to the user.

#include <QString>
#include <QUrl>

#include <optional>

namespace tunara::AppSettings {

inline constexpr double defaultVolume = 1.0;

// The settings file of this user; none when the platform names no
// configuration directory.
std::optional<QUrl> settingsFileURL();

// The stored volume, 0 to 1; the default when there is none.
double loadVolume(const std::optional<QUrl>& fileURL);

// Stores the volume; the reason when the file could not be written (also
// printed).
std::optional<QString> saveVolume(const std::optional<QUrl>& fileURL, double volume);

} // namespace tunara::AppSettings
