#pragma once

// The player's settings file, $XDG_CONFIG_HOME/tunara/settings.json: one
// JSON object: the volume, whether the last station plays at start and
// which it was, the desktop options. It is written whole and atomically; members it does not
// know are kept. A missing, unreadable or
// corrupt file means the defaults, never an error shown to the user.

#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace tunara::AppSettings {

inline constexpr double defaultVolume = 1.0;

// The settings file of this user; none when the platform names no
// configuration directory.
std::optional<QUrl> settingsFileURL();

// The stored volume, 0 to 1; the default when there is none.
double loadVolume(const std::optional<QUrl>& fileURL);

// Whether the last station played plays again at start, and which it was.
struct Resume {
    bool enabled = false;
    std::optional<QUuid> lastStation;
};
Resume loadResume(const std::optional<QUrl>& fileURL);

// What the program does on the desktop while it plays: a notification for
// each new track (off unless asked for), keeping the computer from
// suspending on idle and keeping a history of the tracks played (both on
// unless turned off).
struct DesktopOptions {
    bool notifiesTracks = false;
    bool keepsAwakeWhilePlaying = true;
    bool keepsHistory = true;
    friend bool operator==(const DesktopOptions&, const DesktopOptions&) = default;
};
DesktopOptions loadDesktopOptions(const std::optional<QUrl>& fileURL);
QJsonObject desktopMembers(const DesktopOptions& options);

// Stores these members, keeping the others; the reason when the file could
// not be written (also printed).
std::optional<QString> save(const std::optional<QUrl>& fileURL, const QJsonObject& members);
std::optional<QString> saveVolume(const std::optional<QUrl>& fileURL, double volume);
QJsonObject resumeMembers(const Resume& resume);

} // namespace tunara::AppSettings
