#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tunara::Autostart {

// The desktop entry that starts the program at login:
// $XDG_CONFIG_HOME/autostart/tunara.desktop.
QString filePath();
bool isEnabled();
// Writes or removes the entry; the reason when that failed.
std::optional<QString> setEnabled(bool enabled);
// The entry, starting the program at the given path in the background.
QByteArray desktopEntry(const QString& program);

// The argument the entry starts the program with: it opens no window.
inline constexpr char loginArgument[] = "--login";

} // namespace tunara::Autostart
