#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tunara {

// Qt lays the windows out right to left when the application's translation
// of this text is "RTL"; ours carries it, so Hebrew mirrors even where
// Qt's own translations are not installed.
[[maybe_unused]] static const char* const layoutDirection = QT_TRANSLATE_NOOP("QGuiApplication", "QT_LAYOUT_DIRECTION");

Translations::Translations(const QLocale& locale)
{
    if (qt_.load(locale, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt_);
    if (own_.load(locale, QStringLiteral("tunara"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&own_);
}

Translations::~Translations()
{
    QCoreApplication::removeTranslator(&own_);
    QCoreApplication::removeTranslator(&qt_);
}

} // namespace tunara
