#include "ColorScheme.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QStyleHints>

namespace tunara {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// The portal's first version wraps the value of Read twice.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

ColorScheme::Preference preferenceOf(const QVariant& value)
{
    bool ok = false;
    const uint number = unwrapped(value).toUInt(&ok);
    if (!ok || number > 2)
        return ColorScheme::Preference::none;
    return ColorScheme::Preference(number);
}

// The highlight, also the play button's colour, keeps 3:1 against the
// window and its text 4.5:1 against it.
QPalette makePalette(QColor window, QColor text, QColor base, QColor button, QColor highlight, QColor highlightedText)
{
    QPalette palette(text, button, button.lighter(120), button.darker(160), button.darker(120), text, text, base,
                     window);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, highlightedText);
    palette.setColor(QPalette::AlternateBase, base.darker(105));
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor::fromRgbF(text.redF(), text.greenF(), text.blueF(), 0.65f));
    const QColor disabled = QColor::fromRgbF(text.redF(), text.greenF(), text.blueF(), 0.45f);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabled);
    return palette;
}

} // namespace

QPalette ColorScheme::darkPalette()
{
    return makePalette(QColor(0x2b, 0x2b, 0x2b), QColor(0xe8, 0xe8, 0xe8), QColor(0x1e, 0x1e, 0x1e),
                       QColor(0x3a, 0x3a, 0x3a), QColor(0x4a, 0x8a, 0xd8), QColor(0x10, 0x10, 0x10));
}

QPalette ColorScheme::lightPalette()
{
    return makePalette(QColor(0xef, 0xef, 0xef), QColor(0x1f, 0x1f, 0x1f), Qt::white, QColor(0xe4, 0xe4, 0xe4),
                       QColor(0x2f, 0x6f, 0xbf), Qt::white);
}

ColorScheme::ColorScheme(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , original_(QGuiApplication::palette())
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // What Qt's platform theme knows, until the portal answers.
    const auto followHints = [this] {
        const Qt::ColorScheme scheme = QGuiApplication::styleHints()->colorScheme();
        apply(scheme == Qt::ColorScheme::Dark    ? Preference::dark
              : scheme == Qt::ColorScheme::Light ? Preference::light
                                                 : Preference::none);
    };
    followHints();
    connect(QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, this, followHints);
#endif
    // The slot's types are found by name.
    qRegisterMetaType<QDBusVariant>();
    bus_.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                 SLOT(settingChanged(QString,QString,QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface,
                                                       QStringLiteral("Read"));
    read << appearance << colorSchemeKey;
    // Portals without Settings, or without the key, answer with an error:
    // the palette stays as it is.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QDBusVariant> reply = *call;
        if (!reply.isError())
            apply(preferenceOf(QVariant::fromValue(reply.value())));
        call->deleteLater();
    });
}

void ColorScheme::settingChanged(const QString& group, const QString& key, const QDBusVariant& value)
{
    if (group == appearance && key == colorSchemeKey)
        apply(preferenceOf(QVariant::fromValue(value)));
}

void ColorScheme::apply(Preference preference)
{
    if (preference == preference_)
        return;
    preference_ = preference;
    switch (preference) {
    case Preference::none: QGuiApplication::setPalette(original_); break;
    case Preference::dark: QGuiApplication::setPalette(darkPalette()); break;
    case Preference::light: QGuiApplication::setPalette(lightPalette()); break;
    }
    emit preferenceChanged();
}

} // namespace tunara
