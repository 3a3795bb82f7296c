#include "Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tunara::Autostart {

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/tunara.desktop");
}

bool isEnabled()
{
    return QFileInfo(filePath()).isFile();
}

QByteArray desktopEntry(const QString& program)
{
    // Installed, the program is found by its name; elsewhere by its path,
    // quoted as the desktop entry format asks.
    QString command = QStringLiteral("tunara");
    if (QStandardPaths::findExecutable(command) != program) {
        command = program;
        for (const char special : {'\\', '"', '`', '$'})
            command.replace(QChar(special), QStringLiteral("\\") + QChar(special));
        command = u'"' + command + u'"';
    }
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Tunara\n"
                             "Comment=Internet radio in the system tray\n"
                             "Icon=tunara\n"
                             "Exec=")
           + command.toUtf8() + ' ' + loginArgument
           + QByteArrayLiteral("\n"
                               "Terminal=false\n"
                               "X-GNOME-Autostart-enabled=true\n");
}

std::optional<QString> setEnabled(bool enabled)
{
    const QString path = filePath();
    if (!enabled) {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            return QStringLiteral("could not remove ") + path;
        return std::nullopt;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("could not create the directory ") + QFileInfo(path).absolutePath();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(desktopEntry(QCoreApplication::applicationFilePath()));
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace tunara::Autostart
