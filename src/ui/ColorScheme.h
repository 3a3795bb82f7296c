#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QPalette>

namespace tunara {

// Follows the desktop's light or dark preference, as the XDG Settings
// portal tells it (org.freedesktop.appearance color-scheme), whatever Qt
// platform theme is installed: read at start, followed as it changes. The
// application's palette is made light or dark to match; without a
// preference or a portal the palette stays Qt's.
class ColorScheme final : public QObject {
    Q_OBJECT

public:
    enum class Preference { none = 0, dark = 1, light = 2 };

    explicit ColorScheme(QDBusConnection bus, QObject* parent = nullptr);

    Preference preference() const { return preference_; }

    // The palettes used for each preference.
    static QPalette darkPalette();
    static QPalette lightPalette();

signals:
    void preferenceChanged();

private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void apply(Preference preference);

    QDBusConnection bus_;
    QPalette original_;
    Preference preference_ = Preference::none;
};

} // namespace tunara
